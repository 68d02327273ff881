// One question to a wlroots compositor over its control socket (sway's IPC,
// Hyprland's request socket), answered on the main loop.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace cendrel {

// Connects to `path`, sends `request`, and reads until `complete` says the
// bytes so far are the whole answer, or the compositor closes the socket.
// `onAnswer` is called once, on a later pass of the loop: with the answer, or
// with nothing when there was none within a second.
void askCompositor(const QString& path, const QByteArray& request, std::function<bool(const QByteArray&)> complete,
                   std::function<void(std::optional<QByteArray>)> onAnswer);

} // namespace cendrel
