#include "app/startup.h"

#include <memory>

#include "app/main_window.h"
#include "net/adapter_inventory.h"
#include "platform/form.h"

namespace {

// Runs the registered exit action when the start routine ends, unless it is dropped.
class ExitAction {
  public:
    explicit ExitAction(void (*action)()) : action_(action) {}
    ExitAction(const ExitAction&) = delete;
    ExitAction& operator=(const ExitAction&) = delete;
    ~ExitAction() {
        if (action_ != nullptr) {
            action_();
        }
    }
    void drop() { action_ = nullptr; }

  private:
    void (*action_)();
};

// Code page 936.
constexpr char startupErrorText[] =
    "\xC6\xF4\xB6\xAF\xB4\xB0\xBF\xDA\xCE\xDE\xB7\xA8\xD4\xD8\xC8\xEB";  // 启动窗口无法载入
constexpr char startupErrorTitle[] = "Vellimor";

}  // namespace

void releaseAdapterList() {
    adapterList.reset();
}

int runApplication() {
    platform::initGui();
    adapterList = std::make_shared<AdapterList>();
    ExitAction atExit(releaseAdapterList);

    platform::Form window = createMainWindow();
    if (!window) {
        atExit.drop();
        platform::showErrorBox(startupErrorText, startupErrorTitle);
        return -1;
    }
    window.showCentred();
    // The loop ends on the quit request that the window's destruction posts; its status is 0.
    return platform::runMessageLoop();
}
