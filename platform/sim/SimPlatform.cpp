// The simulated platform, all interfaces in one small backend. Gap: no
// pixels; what would be drawn is kept as data for the tests to read.
#include "SimPlatform.h"

#include <algorithm>

namespace cendrel {

class SimPlatform::Backend final : public Application,
                                   public Input,
                                   public Screens,
                                   public HotKeys,
                                   public StatusBar,
                                   public Panels,
                                   public Preferences,
                                   public KeyboardLayout,
                                   public LoginItems,
                                   public ScreenLocker,
                                   public SystemLog,
                                   public std::enable_shared_from_this<Backend> {
public:
    explicit Backend(SimPlatform& sim) : sim_(sim) {}

    struct Registration {
        std::uint32_t keyCode;
        Modifiers modifiers;
        std::function<void()> onPress;
        std::function<void(const DesktopBinding&)> onBinding;
        bool bound = true;
    };
    class HotKeyToken final : public HotKeyRegistration {
    public:
        HotKeyToken(Backend& backend, std::shared_ptr<Registration> registration)
            : backend_(backend), registration_(std::move(registration))
        {
        }
        ~HotKeyToken() override
        {
            ++backend_.sim_.touches;
            std::erase(backend_.registrations, registration_);
        }
        bool reportBinding(std::function<void(const DesktopBinding&)> onBinding) override
        {
            registration_->onBinding = std::move(onBinding);
            registration_->bound = !backend_.sim_.desktopAnswer;
            backend_.sim_.tellDesktopAnswer();
            return !registration_->bound;
        }

    private:
        Backend& backend_;
        std::shared_ptr<Registration> registration_;
    };
    std::vector<std::shared_ptr<Registration>> registrations;
    std::vector<std::shared_ptr<std::function<bool()>>> watches;
    std::vector<std::shared_ptr<std::function<void(Point)>>> motionWatches;
    std::function<void(Request)> requestListener;
    ShortcutNotation shortcutNotation = ShortcutNotation::glyphs;

    // A token that runs `release` when dropped.
    template <typename Base> class Token final : public Base {
    public:
        explicit Token(std::function<void()> release) : release_(std::move(release)) {}
        ~Token() override { release_(); }

    private:
        std::function<void()> release_;
    };

    // --- Application ---
    void run(std::function<void()> didFinishLaunching) override
    {
        sim_.launched = true;
        didFinishLaunching();
    }
    void becomeAccessory() override { sim_.accessory = true; }
    void terminate() override { sim_.terminated = true; }
    void showAlert(const std::string& message, const std::string& information) override
    {
        sim_.alerts.emplace_back(message, information);
        sim_.alertShown = true;
        if (auto modal = sim_.whileAlertShown)
            modal();
        sim_.alertShown = false;
    }
    void closeAlert() override { sim_.alertShown = false; }
    bool showAlertWithAction(const std::string& message, const std::string& information, const std::string&) override
    {
        showAlert(message, information);
        return sim_.alertActionChosen;
    }
    void notify(const Notice& notice) override { sim_.notifications.push_back(notice); }
    void listenForRequests(std::function<void(Request)> onRequest) override { requestListener = std::move(onRequest); }
    std::unique_ptr<Activity> beginActivity(std::string_view) override
    {
        ++sim_.activities;
        return std::make_unique<Token<Activity>>([&sim = sim_] { --sim.activities; });
    }

    // --- Input and screens ---
    std::string whyInputIsUnseen() override { return sim_.inputUnseen; }
    std::unique_ptr<InputWatch> watchInput(std::function<bool()> onInput) override
    {
        if (sim_.watchFails)
            return nullptr;
        auto handler = std::make_shared<std::function<bool()>>(std::move(onInput));
        watches.push_back(handler);
        ++sim_.watches;
        return std::make_unique<Token<InputWatch>>([this, handler] {
            std::erase(watches, handler);
            --sim_.watches;
        });
    }
    bool canWatchKeyPresses() override { return sim_.keysWatchable; }
    void offerKeyWatchPermission() override { ++sim_.keyPermissionOffers; }
    std::string watchLimitation() override { return sim_.watchLimitation; }
    Point pointerLocation() override { return sim_.pointer; }
    std::unique_ptr<InputWatch> watchPointerMotion(std::function<void(Point)> onMoved) override
    {
        if (!sim_.reportsMotion)
            return nullptr;
        auto handler = std::make_shared<std::function<void(Point)>>(std::move(onMoved));
        motionWatches.push_back(handler);
        ++sim_.motionWatches;
        return std::make_unique<Token<InputWatch>>([this, handler] {
            std::erase(motionWatches, handler);
            --sim_.motionWatches;
        });
    }
    std::vector<Rect> screenFrames() override { return sim_.screens; }
    std::optional<Rect> mainScreenFrame() override { return sim_.mainScreen; }

    // --- Hot keys: a combination can be held once, by us or by another program ---
    bool grabHearsEveryKey() const override { return sim_.grabHearsEveryKey; }
    HotKeyResult registerHotKey(std::uint32_t keyCode, Modifiers modifiers, std::function<void()> onPress) override
    {
        ++sim_.touches;
        const auto same = [&](std::uint32_t key, Modifiers held) { return key == keyCode && held == modifiers; };
        const bool taken = std::any_of(sim_.takenByOthers.begin(), sim_.takenByOthers.end(),
                                       [&](const auto& other) { return same(other.first, other.second); }) ||
                           std::any_of(registrations.begin(), registrations.end(),
                                       [&](const auto& ours) { return same(ours->keyCode, ours->modifiers); });
        if (taken)
            return HotKeyFailure{"(status -9878)"};
        auto registration = std::make_shared<Registration>(Registration{keyCode, modifiers, std::move(onPress), {}});
        registrations.push_back(registration);
        return std::make_unique<HotKeyToken>(*this, std::move(registration));
    }

    // --- Status bar and recorder panel ---
    class Item final : public StatusItem {
    public:
        explicit Item(SimPlatform& sim) : sim_(sim) {}
        ~Item() override { sim_.item = {}; }
        void setIcon(StatusIcon icon) override
        {
            ++sim_.touches;
            sim_.item.icon = icon;
        }
        void setToolTip(const std::string& text) override
        {
            ++sim_.touches;
            sim_.item.toolTip = text;
        }
        void setMenu(std::vector<MenuEntry> entries) override
        {
            ++sim_.touches;
            sim_.item.menu = std::move(entries);
            ++sim_.item.menusSet;
        }
        void setChecked(std::size_t index, bool checked) override
        {
            ++sim_.touches;
            sim_.item.menu.at(index).checked = checked;
        }
        void closeMenu() override { sim_.item.open = false; }

    private:
        SimPlatform& sim_;
    };
    bool showsItems() override { return sim_.item.seen; }
    std::string whatShowsItems() const override { return "A tray shows it."; }
    std::unique_ptr<StatusItem> makeStatusItem(StatusItemObserver observer) override
    {
        const bool seen = sim_.item.seen;
        sim_.item = {};
        sim_.item.seen = seen;
        sim_.item.exists = true;
        sim_.item.observer = std::move(observer);
        return std::make_unique<Item>(sim_);
    }

    class Panel final : public RecorderPanel {
    public:
        explicit Panel(SimPlatform& sim) : sim_(sim) {}
        ~Panel() override { sim_.panel.shown = false; }
        void setPrompt(const std::string& text) override
        {
            ++sim_.touches;
            sim_.panel.prompt = text;
        }
        void setCurrent(const std::string& text) override { sim_.panel.current = text; }
        void setHint(const std::string& text) override { sim_.panel.hint = text; }
        void show() override { sim_.panel.shown = true; }
        bool hasKeyboardFocus() override { return sim_.panel.focused; }
        void hide() override
        {
            ++sim_.touches;
            sim_.panel.shown = false;
        }

    private:
        SimPlatform& sim_;
    };
    std::unique_ptr<RecorderPanel> makeRecorderPanel(const RecorderTexts& texts,
                                                     RecorderPanelObserver observer) override
    {
        ++sim_.panel.built;
        sim_.panel.texts = texts;
        sim_.panel.hint = texts.hint;
        sim_.panel.prompt = texts.prompt;
        sim_.panel.observer = std::move(observer);
        return std::make_unique<Panel>(sim_);
    }

    // --- Preferences, layout, login items ---
    std::optional<std::int64_t> integer(const std::string& key) override
    {
        const auto found = sim_.preferences.find(key);
        if (found == sim_.preferences.end())
            return std::nullopt;
        return found->second;
    }
    bool setInteger(const std::string& key, std::int64_t value) override
    {
        if (sim_.preferencesWriteFails || key == sim_.failingPreference)
            return false;
        sim_.preferences[key] = value;
        return true;
    }
    std::optional<std::string> characterForKey(KeyCode keyCode) override
    {
        const auto found = sim_.layout.find(keyCode);
        if (found == sim_.layout.end())
            return std::nullopt;
        return found->second;
    }
    std::optional<std::string> text(const std::string& key) override
    {
        const auto found = sim_.textPreferences.find(key);
        if (found == sim_.textPreferences.end())
            return std::nullopt;
        return found->second;
    }
    ShortcutNotation notation() override { return shortcutNotation; }
    std::optional<std::string> keySymbolName(KeyCode keyCode) override { return characterForKey(keyCode); }
    // ASCII only: the system's rules for the rest are the system's.
    std::string uppercase(const std::string& text) override
    {
        std::string upper = text;
        for (char& c : upper)
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        return upper;
    }
    bool isEnabled() override { return sim_.loginItemEnabled; }
    bool needsApproval() override { return sim_.loginItemNeedsApproval; }
    void openSettings() override { ++sim_.loginSettingsOpened; }
    std::optional<LoginItemError> enable() override { return change(true); }
    std::optional<LoginItemError> disable() override { return change(false); }
    std::optional<LoginItemError> change(bool enabled)
    {
        ++sim_.loginItemChanges;
        if (sim_.loginItemRefusal)
            return sim_.loginItemRefusal;
        sim_.loginItemEnabled = enabled && !sim_.loginApprovalWithheld;
        sim_.loginItemNeedsApproval = enabled && sim_.loginApprovalWithheld;
        return std::nullopt;
    }

    // --- Locking and the log: each step reports on the virtual clock ---
    class Request final : public LockRequest {
    public:
        Request(SimPlatform& sim, std::string step) : sim_(sim), step_(std::move(step)) {}
        ~Request() override { sim_.lockEvents.push_back("dropped " + step_); }
        std::vector<std::unique_ptr<Timer>> replies;

    private:
        SimPlatform& sim_;
        std::string step_;
    };
    std::unique_ptr<LockRequest> ask(const std::string& step, LockReplyHandler onReply)
    {
        sim_.lockEvents.push_back(step);
        if (step == "session" && sim_.onLock)
            sim_.onLock();
        const auto found = sim_.lockSteps.find(step);
        if (found == sim_.lockSteps.end())
            return nullptr;
        auto request = std::make_unique<Request>(sim_, step);
        for (const LockReply& reply : found->second)
            request->replies.push_back(sim_.runLoop_->scheduleTimer(
                Seconds{reply.after}, false, [onReply, report = reply.report] { onReply(report); }));
        return request;
    }
    std::vector<LockStep> lockSteps() override
    {
        std::vector<LockStep> steps;
        for (const SimPlatform::Locker& locker : sim_.lockers) {
            const std::string& name = locker.name;
            steps.push_back(
                {[this, name](LockReplyHandler onReply) { return ask(name, std::move(onReply)); },
                 {"could not reach " + name, name + " Lock not found", name + " Lock failed", name + " Lock"},
                 locker.withPrevious,
                 locker.window ? std::optional(Seconds{*locker.window}) : std::nullopt});
        }
        return steps;
    }
    bool displayOffLocks() const override { return sim_.displayOffLocks; }
    bool lockerFound() override { return sim_.lockerFound; }
    bool screenLooksLocked() override { return sim_.keyboardHeldByOther; }
    bool switchDisplayOff() override
    {
        sim_.lockEvents.push_back("display off");
        return !sim_.displayOffFails;
    }
    void log(std::string_view line) override { sim_.log.emplace_back(line); }

private:
    SimPlatform& sim_;
};

SimPlatform::SimPlatform() : runLoop_(std::make_shared<SimRunLoop>()), backend_(std::make_shared<Backend>(*this)) {}

void SimPlatform::install(ShortcutNotation notation)
{
    backend_->shortcutNotation = notation;
    const auto& b = backend_;
    installPlatform(Platform{b, runLoop_, b, b, b, b, b, b, b, b, b, b});
}

bool SimPlatform::sendRequest(Request request)
{
    if (!backend_->requestListener)
        return false;
    backend_->requestListener(request);
    return true;
}

bool SimPlatform::sendInput()
{
    const auto live = backend_->watches;
    bool locked = false;
    for (const auto& watch : live)
        locked = (*watch)() || locked;
    return locked;
}

void SimPlatform::movePointer(Point to)
{
    pointer = to;
    runLoop_->post([backend = std::weak_ptr(backend_), to] {
        if (auto b = backend.lock()) {
            const auto live = b->motionWatches;
            for (const auto& watch : live) {
                if (std::find(b->motionWatches.begin(), b->motionWatches.end(), watch) != b->motionWatches.end())
                    (*watch)(to);
            }
        }
    });
}

std::vector<std::pair<std::uint32_t, Modifiers>> SimPlatform::registered() const
{
    std::vector<std::pair<std::uint32_t, Modifiers>> keys;
    for (const auto& registration : backend_->registrations)
        keys.emplace_back(registration->keyCode, registration->modifiers);
    return keys;
}

bool SimPlatform::pressHotKey(std::uint32_t keyCode, Modifiers modifiers)
{
    for (const auto& registration : backend_->registrations) {
        if (registration->bound && registration->keyCode == keyCode && registration->modifiers == modifiers) {
            runLoop_->post([onPress = registration->onPress] { onPress(); });
            return true;
        }
    }
    return false;
}

void SimPlatform::tellDesktopAnswer()
{
    runLoop_->post([backend = std::weak_ptr(backend_), this] {
        auto b = backend.lock();
        if (!b || !desktopAnswer)
            return;
        for (const auto& registration : std::vector(b->registrations)) {
            if (!registration->onBinding)
                continue;
            registration->bound = desktopAnswer->outcome == DesktopBinding::Outcome::assigned;
            registration->onBinding(*desktopAnswer);
        }
    });
}

std::vector<std::string> SimPlatform::titles() const
{
    std::vector<std::string> titles;
    for (const MenuEntry& entry : item.menu)
        titles.push_back(entry.kind == MenuEntry::Kind::separator ? "---" : entry.title);
    return titles;
}

const MenuEntry* SimPlatform::entry(const std::string& title) const
{
    for (const MenuEntry& entry : item.menu) {
        if (entry.kind != MenuEntry::Kind::separator && entry.title == title)
            return &entry;
    }
    return nullptr;
}

bool SimPlatform::openMenu()
{
    if (auto opening = item.observer.menuWillOpen; opening && !opening()) {
        closeMenu();
        return false;
    }
    item.open = true;
    return true;
}

void SimPlatform::closeMenu()
{
    item.open = false;
    if (auto closed = item.observer.menuDidClose)
        closed();
}

bool SimPlatform::choose(const std::string& title)
{
    if (!item.open && !openMenu())
        return false;
    const MenuEntry* chosen = entry(title);
    // A copy: the action may rebuild the menu it came from.
    auto action = chosen != nullptr && chosen->kind == MenuEntry::Kind::action ? chosen->action : nullptr;
    closeMenu();
    if (action)
        action();
    runLoop_->runPending();
    return action != nullptr;
}

bool SimPlatform::pressKey(KeyPress press)
{
    if (!panel.shown)
        return false;
    if (auto onKeyPress = panel.observer.onKeyPress)
        onKeyPress(press);
    return true;
}

void SimPlatform::clickPanelCloseButton()
{
    panel.shown = false;
    if (auto onClose = panel.observer.onClose)
        onClose();
}

} // namespace cendrel
