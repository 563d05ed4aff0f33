#include "app/console_font.h"

#include <QWidget>
#include <optional>

#include "app/dialogs/font_dialog.h"
#include "app/settings/font_record.h"
#include "app/settings/settings.h"

namespace tallix {

void chooseConsoleFont(QWidget& console, Settings& settings) {
    const LogFont current = recordFromSetting(settings.font());
    const std::optional<LogFont> chosen = chooseFontRecord(&console, current);
    if (!chosen || *chosen == current) return;
    console.setFont(toQFont(*chosen));
    settings.setFont(encodeLogFont(*chosen));
}

}  // namespace tallix
