#include "app/dialogs/message_box.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "app/dialogs/dialog_frame.h"

namespace tallix {

void describeMessageBox(QMessageBox& box) {
    box.setAccessibleDescription(box.text());
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setAccessibleDescription(QStringLiteral("このメッセージを閉じます。"));
}

void showWarning(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tallix"), text, QMessageBox::Ok, parent);
    useDialogFrame(box);
    describeMessageBox(box);
    box.exec();
}

}  // namespace tallix
