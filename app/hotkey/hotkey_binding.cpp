#include "app/hotkey/hotkey_binding.h"

#include <QEventLoop>
#include <QGuiApplication>

#include "app/hotkey/global_hotkey.h"
#include "app/hotkey/portal_hotkey.h"

namespace tallix {

std::unique_ptr<HotkeyBinding> HotkeyBinding::forPlatform() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        return std::make_unique<PortalHotkey>();
    }
    return std::make_unique<GlobalHotkey>();
}

HotkeyBinding::Result HotkeyBinding::bindAndWait(int mod, int letter) {
    QEventLoop loop;
    bool answered = false;
    Result answer = Result::AlreadyUsed;
    const auto connection = connect(this, &HotkeyBinding::bound, &loop, [&](Result result) {
        answered = true;
        answer = result;
        loop.quit();
    });
    bind(mod, letter);
    // The binding itself ends the wait with a timeout; an application that is told to end
    // ends the loop too, and an unanswered binding counts as refused.
    if (!answered) loop.exec();
    disconnect(connection);
    return answer;
}

}  // namespace tallix
