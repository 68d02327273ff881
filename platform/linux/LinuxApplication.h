// The application: QApplication's event loop, and the one modal alert.
#pragma once

#include "Application.h"

namespace cendrel {

class LinuxApplication final : public Application {
public:
    void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) override;
    void run() override;
    void setActivationPolicy(ActivationPolicy policy) override;
    void terminate() override;
    void activateIgnoringOtherApps(bool flag) override;
    void runModalAlert(const std::string& messageText, const std::string& informativeText) override;

private:
    std::weak_ptr<ApplicationDelegate> delegate_;
};

} // namespace cendrel
