#include "app/message_box.h"

#include <QMessageBox>

namespace tallix {

void showWarning(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tallix"), text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace tallix
