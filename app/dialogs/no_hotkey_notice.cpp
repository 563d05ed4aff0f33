#include "app/dialogs/no_hotkey_notice.h"

#include <QMessageBox>

#include "app/dialogs/dialog_frame.h"
#include "app/dialogs/message_box.h"
#include "app/settings/settings.h"

namespace tallix {

namespace {

const QString NOTICE = QStringLiteral(
    "このデスクトップでは呼び出しキーを使えません。\n"
    "デスクトップの設定で、コマンド「tallix」を実行するキーボードショートカットを"
    "割り当ててください。そのキーでウィンドウが現れます。");

}  // namespace

void tellNoHotkeyOnce(QWidget* parent, Settings& settings) {
    if (settings.readInt(NO_HOTKEY_NOTICE_KEY, 0) != 0) return;
    settings.writeInt(NO_HOTKEY_NOTICE_KEY, 1);
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Tallix"), NOTICE,
                                QMessageBox::Ok, parent);
    box->setObjectName("noHotkeyNotice");
    box->setAttribute(Qt::WA_DeleteOnClose);
    useDialogFrame(*box);
    describeMessageBox(*box);
    box->show();
}

}  // namespace tallix
