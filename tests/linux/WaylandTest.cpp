// The Wayland backend against a compositor of the test's own, and GNOME's idle
// monitor faked on the private session bus the suite runs on.
#include "wayland/WaylandDisplayPower.h"
#include "wayland/WaylandInput.h"

#include "ext-idle-notify-v1-server-protocol.h"
#include "wlr-output-power-management-unstable-v1-server-protocol.h"

#include <QAbstractEventDispatcher>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QTest>
#include <wayland-client-core.h>

#include <atomic>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>

#include <gtest/gtest.h>

namespace cendrel {
namespace {

// Served on a thread of its own, on the other end of a socket pair that the
// next WaylandConnection::open takes. It offers a seat, an output, output
// power and the idle notifier at the version asked, lets each notification's
// 1 ms elapse at once, and notes the requests that matter.
struct Compositor {
    explicit Compositor(std::uint32_t idleVersion);
    ~Compositor()
    {
        eventfd_write(stopFd, 1);
        thread.join();
        wl_display_destroy_clients(display);
        wl_display_destroy(display);
        close(stopFd);
    }
    // Runs `task` between the compositor thread's turns, and sends what it said.
    void act(const std::function<void()>& task)
    {
        const std::lock_guard lock(mutex);
        task();
        wl_display_flush_clients(display);
    }
    void touch()
    {
        act([this] {
            for (wl_resource* notification : notifications) {
                ext_idle_notification_v1_send_resumed(notification);
                ext_idle_notification_v1_send_idled(notification);
            }
        });
    }
    std::vector<std::string> requests()
    {
        const std::lock_guard lock(mutex);
        return noted;
    }
    static Compositor* of(wl_resource* r) { return static_cast<Compositor*>(wl_resource_get_user_data(r)); }

    wl_display* display = wl_display_create();
    wl_client* client;
    wl_global* seat;
    wl_global* output;
    wl_global* notifier;
    // An idle inhibitor: notifications it may hold never go idle.
    std::atomic<bool> inhibited = false;
    int stopFd = eventfd(0, EFD_CLOEXEC);
    std::thread thread;
    std::mutex mutex; // held while the compositor works
    std::vector<std::string> noted;
    std::vector<wl_resource*> notifications;
};

wl_resource* make(wl_client* client, const wl_interface* interface, std::uint32_t version, std::uint32_t id,
                  const void* impl, void* data, wl_resource_destroy_func_t destroy = nullptr)
{
    wl_resource* resource = wl_resource_create(client, interface, static_cast<int>(version), id);
    wl_resource_set_implementation(resource, impl, data, destroy);
    return resource;
}

template <const wl_interface* interface, auto impl = nullptr>
void bind(wl_client* client, void* data, std::uint32_t version, std::uint32_t id)
{
    make(client, interface, version, id, impl, data);
}

const auto destroy = [](wl_client*, wl_resource* resource) { wl_resource_destroy(resource); };

const struct ext_idle_notification_v1_interface notificationImpl = {destroy};

template <bool input>
void notify(wl_client* c, wl_resource* from, std::uint32_t id, std::uint32_t timeout, wl_resource*)
{
    const char* request = input ? "get_input_idle_notification" : "get_idle_notification";
    const auto version = static_cast<std::uint32_t>(wl_resource_get_version(from));
    Compositor* self = Compositor::of(from);
    self->noted.push_back("v" + std::to_string(version) + " " + request + "(" + std::to_string(timeout) + ")");
    wl_resource* made = make(c, &ext_idle_notification_v1_interface, version, id, &notificationImpl, self,
                             [](wl_resource* gone) { std::erase(Compositor::of(gone)->notifications, gone); });
    self->notifications.push_back(made);
    if (!self->inhibited || input)
        ext_idle_notification_v1_send_idled(made);
}

const struct ext_idle_notifier_v1_interface notifierImpl = {destroy, notify<false>, notify<true>};
const struct zwlr_output_power_v1_interface powerImpl = {
    [](wl_client*, wl_resource* r, std::uint32_t mode) {
        Compositor::of(r)->noted.emplace_back(mode == ZWLR_OUTPUT_POWER_V1_MODE_OFF ? "set_mode(off)" : "set_mode(on)");
    },
    destroy};
const struct zwlr_output_power_manager_v1_interface powerManagerImpl = {
    [](wl_client* c, wl_resource* r, std::uint32_t id, wl_resource*) {
        make(c, &zwlr_output_power_v1_interface, 1, id, &powerImpl, Compositor::of(r));
    },
    destroy};

Compositor::Compositor(std::uint32_t idleVersion)
{
    int fds[2];
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    client = wl_client_create(display, fds[0]);
    setenv("WAYLAND_SOCKET", std::to_string(fds[1]).c_str(), 1);
    setenv("WAYLAND_DISPLAY", "cendrel-test", 1);
    seat = wl_global_create(display, &wl_seat_interface, 1, this, bind<&wl_seat_interface>);
    output = wl_global_create(display, &wl_output_interface, 1, this, bind<&wl_output_interface>);
    notifier = wl_global_create(display, &ext_idle_notifier_v1_interface, static_cast<int>(idleVersion), this,
                                bind<&ext_idle_notifier_v1_interface, &notifierImpl>);
    wl_global_create(display, &zwlr_output_power_manager_v1_interface, 1, this,
                     bind<&zwlr_output_power_manager_v1_interface, &powerManagerImpl>);
    thread = std::thread([this] {
        pollfd wake[]{{wl_event_loop_get_fd(wl_display_get_event_loop(display)), POLLIN, 0}, {stopFd, POLLIN, 0}};
        while (poll(wake, 2, -1) != -1 && wake[1].revents == 0)
            act([this] { wl_event_loop_dispatch(wl_display_get_event_loop(display), 0); });
    });
}

struct Log final : SystemLog {
    void log(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

class WaylandTest : public ::testing::Test {
protected:
    ~WaylandTest() override { stop(); }
    // What the client still has to release goes before its connection.
    void stop()
    {
        QCoreApplication::processEvents();
        input.reset();
        connection.reset();
    }
    void start(std::uint32_t idleVersion)
    {
        stop();
        compositor = std::make_unique<Compositor>(idleVersion);
        std::string error;
        connection = WaylandConnection::open(error);
        ASSERT_TRUE(connection) << error;
        connection->attachToEventLoop();
        input = WaylandInput::create(connection, log = std::make_shared<Log>());
        touches = 0;
        roundtrip(); // the client's binds are in
    }
    void roundtrip() { ASSERT_NE(wl_display_roundtrip(connection->display()), -1); }

    std::unique_ptr<Compositor> compositor;
    std::shared_ptr<Log> log;
    std::shared_ptr<WaylandConnection> connection;
    std::shared_ptr<WaylandInput> input;
    int touches = 0;
};

TEST_F(WaylandTest, TheIdleNotifierIsBoundAtTheLowerVersionAndInputIdleIsPreferred)
{
    const std::string silenced = "a program is keeping the screen awake, so input cannot be seen";
    using Case = std::tuple<std::uint32_t, bool, std::set<std::string>, std::string>;
    for (const auto& [offered, inhibited, requests, why] :
         {Case{1, false, {"v1 get_idle_notification(1)"}, ""},
          Case{2, false, {"v2 get_input_idle_notification(1)"}, ""},
          Case{1, true, {"v1 get_idle_notification(1)"}, silenced}, Case{2, true, {}, ""}}) {
        SCOPED_TRACE(testing::Message() << "v" << offered << (inhibited ? " inhibited" : ""));
        start(offered);
        compositor->inhibited = inhibited;
        EXPECT_EQ(input->whyInputIsUnseen(), why);
        if (!inhibited) {
            auto armed = input->watchInput([this] { return ++touches > 0; });
            roundtrip();
            EXPECT_EQ(touches, 0) << "going idle is not input";
            compositor->touch();
            EXPECT_TRUE(QTest::qWaitFor([this] { return touches == 1; }, 5000));
        }
        const auto all = compositor->requests();
        EXPECT_EQ(std::set(all.begin(), all.end()), requests);
    }
}

TEST_F(WaylandTest, LosingTheCompositorOrAGlobalInUseLocksOnceAndWakesTheLoopNoMore)
{
    // No global: the client is disconnected.
    using Case = std::pair<wl_global * Compositor::*, std::string>;
    for (const auto& [global, line] : {Case{nullptr, "the connection to the compositor closed; locking"},
                                       Case{&Compositor::seat, "the compositor removed the seat; locking"},
                                       Case{&Compositor::notifier, "the compositor removed its idle notifier; locking"},
                                       Case{&Compositor::output, ""}}) {
        SCOPED_TRACE(line);
        start(2);
        auto armed = input->watchInput([this] { return ++touches > 0; });
        compositor->act(
            [&, c = compositor.get()] { global ? wl_global_destroy(c->*global) : wl_client_destroy(c->client); });
        if (line.empty()) {
            roundtrip();
            EXPECT_EQ(std::tuple(connection->outputs().size(), log->lines.size()), std::tuple(0U, 0U));
            continue;
        }
        ASSERT_TRUE(QTest::qWaitFor([this] { return !log->lines.empty(); }, 5000));
        EXPECT_EQ(log->lines, std::vector<std::string>{"Cendrel: lost sight of input: " + line});
        EXPECT_EQ(touches, 1);
        // A hung-up socket stays readable: once lost, nothing may wake for it.
        int wakeUps = 0;
        while (QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents) && wakeUps < 100)
            ++wakeUps;
        EXPECT_LT(wakeUps, 100);
    }
}

TEST_F(WaylandTest, OutputsGoOffAndComeOnAgainAtTheNextInput)
{
    start(2);
    auto power = std::make_shared<WaylandDisplayPower>(connection, input, log, false);
    ASSERT_TRUE(power->switchOff());
    roundtrip();
    compositor->touch();
    const std::vector<std::string> wanted{"set_mode(off)", "v2 get_input_idle_notification(1)", "set_mode(on)"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return compositor->requests() == wanted; }, 5000))
        << compositor->requests().size();
}

// GNOME's idle monitor, on this process's own connection to the bus.
class FakeIdleMonitor final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override
    {
        calls.push_back((message.member() + " " + message.arguments().value(0).toString()).toStdString());
        if (message.member() == "AddUserActiveWatch")
            bus.send(message.createReply(QVariant::fromValue(nextWatch++)));
        return true;
    }
    std::vector<std::string> calls;
    uint nextWatch = 7;
};

TEST_F(WaylandTest, GnomesIdleMonitorComesFirstAndItsWatchIsRemovedWhenReleased)
{
    const QString path = "/org/gnome/Mutter/IdleMonitor/Core", name = "org.gnome.Mutter.IdleMonitor";
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected()) << "run on a session bus of its own";
    FakeIdleMonitor monitor;
    ASSERT_TRUE(bus.registerVirtualObject(path, &monitor));
    ASSERT_TRUE(bus.registerService(name));
    start(2);
    auto armed = input->watchInput([this] { return ++touches > 0; });
    // Another client's watch fires; the ping, handled after it, says it was heard.
    bus.send(QDBusMessage::createSignal(path, name, "WatchFired") << 6U);
    bus.send(QDBusMessage::createMethodCall(name, path, name, "Ping"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return monitor.calls.size() == 2; }, 5000));
    EXPECT_EQ(touches, 0);
    bus.send(QDBusMessage::createSignal(path, name, "WatchFired") << 7U);
    EXPECT_TRUE(QTest::qWaitFor([&] { return monitor.calls.size() == 3; }, 5000));
    EXPECT_EQ(touches, 1);
    armed.reset();
    const std::vector<std::string> calls{"AddUserActiveWatch ", "Ping ", "AddUserActiveWatch ", "RemoveWatch 8"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return monitor.calls == calls; }, 5000)) << monitor.calls.size();
    EXPECT_EQ(compositor->requests(), std::vector<std::string>{}) << "no idle notification of its own";
    bus.unregisterService(name);
    bus.unregisterObject(path);
}

} // namespace
} // namespace cendrel
