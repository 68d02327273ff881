// Launching has finished once the event loop runs: the delegate hears of it
// from the loop's first pass. There is no Dock on X11, so the activation
// policy only keeps the program alive without windows.
#include "LinuxApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace cendrel {

void LinuxApplication::setDelegate(std::weak_ptr<ApplicationDelegate> delegate)
{
    delegate_ = std::move(delegate);
}

void LinuxApplication::run()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QTimer::singleShot(0, qApp, [this] {
        if (auto delegate = delegate_.lock()) {
            delegate->applicationDidFinishLaunching();
        }
    });
    QApplication::exec();
}

void LinuxApplication::setActivationPolicy(ActivationPolicy)
{
    // Closing the recorder panel must not end a program that has no other window.
    QApplication::setQuitOnLastWindowClosed(false);
}

void LinuxApplication::terminate()
{
    QApplication::quit();
}

void LinuxApplication::activateIgnoringOtherApps(bool)
{
    // Each window asks for focus itself when it is shown.
}

void LinuxApplication::runModalAlert(const std::string& messageText, const std::string& informativeText)
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Cendrel"));
    box.setText(QString::fromStdString(messageText));
    box.setInformativeText(QString::fromStdString(informativeText));
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

} // namespace cendrel
