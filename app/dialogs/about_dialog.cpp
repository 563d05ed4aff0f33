#include "app/dialogs/about_dialog.h"

#include "app/desktop/program_icon.h"
#include "app/dialogs/control_description.h"
#include "app/dialogs/dialog_frame.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "tallix_version.h"

namespace tallix {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tallixについて"));

    auto* icon = new QLabel(this);
    icon->setObjectName("icon");
    icon->setPixmap(programIcon().pixmap(32, 32));

    auto* text = new QLabel(QStringLiteral("Tallix Version " TALLIX_VERSION), this);
    text->setObjectName("version");

    auto* ok = new QPushButton(QStringLiteral("了解"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setAccessibleDescription(QStringLiteral("Tallixの名前と版を表示します。"));
    describeControl(ok, QStringLiteral("了解"), QStringLiteral("このダイアログを閉じます。"));

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(text, 1, Qt::AlignVCenter);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    useDialogFrame(*this);
}

}  // namespace tallix
