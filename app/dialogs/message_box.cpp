#include "app/dialogs/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "app/dialogs/dialog_frame.h"

namespace tallix {

void showWarning(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tallix"), text, QMessageBox::Ok, parent);
    useDialogFrame(box);
    box.setAccessibleDescription(text);
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setAccessibleDescription(QStringLiteral("このメッセージを閉じます。"));
    box.exec();
}

}  // namespace tallix
