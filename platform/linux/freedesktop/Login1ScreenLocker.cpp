// Lock on the session object "auto" (the caller's own session) of
// org.freedesktop.login1, as `loginctl lock-session` asks for it. The system
// bus is spoken to directly, on a connection of its own for each lock: Qt
// connects every bus on one shared thread and waits there for the bus to
// answer, so a bus that accepts and never answers would stall the tray's
// connection too, and for minutes. Here the whole exchange (authentication,
// Hello and Lock, sent at once) has one deadline. Gap: only unix: addresses
// (path= and abstract=) are reached; the desktop's screen locker does the
// locking, and a session without one is not locked.
#include "Login1ScreenLocker.h"

#include "ScreenSaverLock.h"

#include <QString>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace cendrel {

namespace {

using Clock = std::chrono::steady_clock;
// One second for the whole chain, the screen saver included, before the
// display goes off; a healthy screen saver answers in far less than the
// least it is given.
constexpr auto lockLimit = std::chrono::milliseconds(1000);
constexpr auto leastForScreenSaver = std::chrono::milliseconds(250);
// Replies from a bus are small; anything larger is not one.
constexpr std::uint32_t largestMessage = 1 << 20;

// A D-Bus method call, little-endian, with no arguments.
class MethodCall {
public:
    MethodCall(std::uint32_t serial, const char* destination, const char* path, const char* interface,
               const char* member)
    {
        bytes_ = {'l', 1, 0, 1};
        add32(0); // no body
        add32(serial);
        const std::size_t fieldsLength = bytes_.size();
        add32(0);
        align(8);
        const std::size_t fieldsStart = bytes_.size();
        field(1, 'o', path);
        field(2, 's', interface);
        field(3, 's', member);
        field(6, 's', destination);
        const auto length = static_cast<std::uint32_t>(bytes_.size() - fieldsStart);
        for (std::size_t i = 0; i < 4; ++i)
            bytes_[fieldsLength + i] = static_cast<char>((length >> (8 * i)) & 0xff);
        align(8);
    }
    const std::string& bytes() const { return bytes_; }

private:
    void align(std::size_t boundary)
    {
        while (bytes_.size() % boundary != 0)
            bytes_.push_back('\0');
    }
    void add32(std::uint32_t value)
    {
        align(4);
        for (int i = 0; i < 4; ++i)
            bytes_.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
    }
    void field(char code, char type, const char* value)
    {
        align(8);
        bytes_ += {code, 1, type, '\0'};
        add32(static_cast<std::uint32_t>(std::strlen(value)));
        bytes_ += value;
        bytes_.push_back('\0');
    }
    std::string bytes_;
};

// Reads what a bus sent: the authentication answer, then messages.
struct Incoming {
    std::string data;
    std::size_t position = 0;

    std::uint32_t read32(std::size_t at, bool bigEndian) const
    {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const auto byte = static_cast<std::uint8_t>(data[at + (bigEndian ? i : 3 - i)]);
            value = (value << 8) | byte;
        }
        return value;
    }
};

struct Reply {
    std::uint32_t replySerial = 0;
    bool isError = false;
    std::string errorName;
};

std::size_t aligned(std::size_t at, std::size_t boundary)
{
    return (at + boundary - 1) / boundary * boundary;
}

// The reply fields of one whole message at `in.position`; nothing when it is
// not a reply. False when the bytes are not a message at all.
bool readMessage(const Incoming& in, std::size_t end, std::optional<Reply>& reply)
{
    const std::size_t start = in.position;
    const bool bigEndian = in.data[start] == 'B';
    const auto messageType = static_cast<std::uint8_t>(in.data[start + 1]);
    reply.reset();
    if (messageType != 2 && messageType != 3)
        return true;
    Reply found;
    found.isError = messageType == 3;
    std::size_t at = start + 16;
    const std::size_t fieldsEnd = at + in.read32(start + 12, bigEndian);
    while (at < fieldsEnd) {
        at = start + aligned(at - start, 8);
        if (at + 3 > end)
            return false;
        const char code = in.data[at];
        const auto signatureLength = static_cast<std::uint8_t>(in.data[at + 1]);
        const char type = signatureLength == 1 ? in.data[at + 2] : '\0';
        at += 3u + signatureLength;
        if (type == 'g') {
            if (at >= end)
                return false;
            at += 2u + static_cast<std::uint8_t>(in.data[at]);
        } else if (type == 'u' || type == 's' || type == 'o') {
            at = start + aligned(at - start, 4);
            if (at + 4 > end)
                return false;
            const std::uint32_t value = in.read32(at, bigEndian);
            at += 4;
            if (type == 'u') {
                if (code == 5)
                    found.replySerial = value;
            } else {
                if (at + value > end)
                    return false;
                if (code == 4)
                    found.errorName = in.data.substr(at, value);
                at += value + 1u;
            }
        } else {
            return false;
        }
    }
    reply = found;
    return true;
}

class Socket {
public:
    explicit Socket(int descriptor) : fd(descriptor) {}
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
    const int fd;
};

// Waits for the socket until the deadline; false once it has passed.
bool waitFor(const Socket& socket, short events, Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return false;
    pollfd entry{socket.fd, events, 0};
    return ::poll(&entry, 1, static_cast<int>(left)) > 0;
}

std::string authentication()
{
    // EXTERNAL: the bus checks the uid we name against the socket's peer.
    const std::string uid = std::to_string(::geteuid());
    std::string hex;
    for (const char digit : uid)
        hex += "3" + std::string(1, digit);
    return std::string(1, '\0') + "AUTH EXTERNAL " + hex + "\r\nBEGIN\r\n";
}

std::optional<LockFailure> lockThroughLogin1(Clock::time_point deadline)
{
    const char* variable = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const auto path =
        unixSocketOfBusAddress(variable != nullptr ? variable : "unix:path=/var/run/dbus/system_bus_socket");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (!path || path->empty() || path->size() >= sizeof address.sun_path)
        return LockFailure::unavailable;
    std::memcpy(address.sun_path, path->data(), path->size());
    const auto addressLength =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path->size() + ((*path)[0] == '\0' ? 0 : 1));
    const Socket bus(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (bus.fd < 0 || ::connect(bus.fd, reinterpret_cast<const sockaddr*>(&address), addressLength) != 0)
        return LockFailure::unavailable;

    // The bus takes messages right after BEGIN, before it has said OK, and
    // handles Hello before Lock: all of it goes out at once.
    const std::string request =
        authentication() +
        MethodCall(1, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "Hello").bytes() +
        MethodCall(2, "org.freedesktop.login1", "/org/freedesktop/login1/session/auto",
                   "org.freedesktop.login1.Session", "Lock")
            .bytes();
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t written = ::send(bus.fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (written > 0)
            sent += static_cast<std::size_t>(written);
        else if (written < 0 && errno != EAGAIN && errno != EINTR)
            return LockFailure::unavailable;
        else if (!waitFor(bus, POLLOUT, deadline))
            return LockFailure::unavailable;
    }

    // A bus gone silent before it let us in was never reached; once in, no
    // answer in time counts as a refusal, as the login manager's own would.
    Incoming in;
    bool authenticated = false;
    while (true) {
        if (!authenticated) {
            const std::size_t lineEnd = in.data.find("\r\n");
            if (lineEnd != std::string::npos) {
                if (in.data.compare(0, 3, "OK ") != 0)
                    return LockFailure::unavailable;
                authenticated = true;
                in.position = lineEnd + 2;
            }
        }
        while (authenticated && in.data.size() - in.position >= 16) {
            const bool bigEndian = in.data[in.position] == 'B';
            const std::uint64_t length = aligned(16 + std::uint64_t{in.read32(in.position + 12, bigEndian)}, 8) +
                                         in.read32(in.position + 4, bigEndian);
            if (length > largestMessage)
                return LockFailure::refused;
            if (in.data.size() - in.position < length)
                break;
            std::optional<Reply> reply;
            if (!readMessage(in, in.position + static_cast<std::size_t>(length), reply))
                return LockFailure::refused;
            if (reply && reply->replySerial == 1 && reply->isError)
                return LockFailure::unavailable;
            if (reply && reply->replySerial == 2)
                return reply->isError ? std::optional(lockFailureFromError(QString::fromStdString(reply->errorName)))
                                      : std::nullopt;
            in.position += static_cast<std::size_t>(length);
        }
        if (!waitFor(bus, POLLIN, deadline))
            return authenticated ? LockFailure::refused : LockFailure::unavailable;
        char buffer[4096];
        const ssize_t received = ::recv(bus.fd, buffer, sizeof buffer, 0);
        if (received == 0 || (received < 0 && errno != EAGAIN && errno != EINTR))
            return authenticated ? LockFailure::refused : LockFailure::unavailable;
        if (received > 0)
            in.data.append(buffer, static_cast<std::size_t>(received));
    }
}

} // namespace

std::optional<std::string> unixSocketOfBusAddress(std::string_view addresses)
{
    // "transport:key=value,...;..." with bytes %-escaped in the values; the
    // first unix address with a path or an abstract name is the one.
    const auto hexDigit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    const auto take = [](std::string_view& list, char separator) {
        const std::size_t end = std::min(list.find(separator), list.size());
        const std::string_view item = list.substr(0, end);
        list.remove_prefix(std::min(end + 1, list.size()));
        return item;
    };
    while (!addresses.empty()) {
        std::string_view address = take(addresses, ';');
        if (address.substr(0, 5) != "unix:")
            continue;
        address.remove_prefix(5);
        while (!address.empty()) {
            std::string_view value = take(address, ',');
            const std::string_view key = take(value, '=');
            if (key != "path" && key != "abstract")
                continue;
            std::string name = key == "abstract" ? std::string(1, '\0') : std::string();
            for (std::size_t i = 0; i < value.size(); ++i) {
                if (value[i] != '%') {
                    name.push_back(value[i]);
                    continue;
                }
                const int high = i + 2 < value.size() ? hexDigit(value[i + 1]) : -1;
                const int low = high >= 0 ? hexDigit(value[i + 2]) : -1;
                if (low < 0)
                    return std::nullopt;
                name.push_back(static_cast<char>(high * 16 + low));
                i += 2;
            }
            return name;
        }
    }
    return std::nullopt;
}

LockFailure lockFailureFromError(const QString& errorName)
{
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return LockFailure::unavailable;
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface"))
        return LockFailure::missing;
    return LockFailure::refused;
}

Login1ScreenLocker::Login1ScreenLocker(std::function<bool()> switchDisplayOff)
    : switchDisplayOff_(std::move(switchDisplayOff))
{
}

void Login1ScreenLocker::lockSession(const std::function<void(LockFailure)>& onFailure)
{
    deadline_ = Clock::now() + lockLimit;
    if (const auto failure = lockThroughLogin1(deadline_))
        onFailure(*failure);
}

std::optional<LockFailure> Login1ScreenLocker::lockScreenSaver()
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    return cendrel::lockScreenSaver(std::max(left, leastForScreenSaver));
}

bool Login1ScreenLocker::sleepDisplay()
{
    return switchDisplayOff_ && switchDisplayOff_();
}

} // namespace cendrel
