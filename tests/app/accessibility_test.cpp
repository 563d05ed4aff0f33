// What assistive technology learns of the program: a Japanese name and description for every
// control of every window. (That a result reaches it as text inserted in the console needs
// the accessibility bus: accessibility_e2e_test.)
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <functional>

#include "app/console/calc_view.h"
#include "app/dialogs/about_dialog.h"
#include "app/dialogs/font_dialog.h"
#include "app/dialogs/help_window.h"
#include "app/dialogs/message_box.h"
#include "app/dialogs/options_dialog.h"
#include "app/main_frame.h"
#include "console_fixture.h"

using namespace tallix;

namespace {

bool isJapanese(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QChar(0x3040) && c <= QChar(0x30ff)) ||
               (c >= QChar(0x4e00) && c <= QChar(0x9fff));
    });
}

// The controls of a window a user reaches: what takes input or shows the state of things,
// leaving out the parts a control is made of (scroll bars, a spin box's edit box).
QList<QWidget*> controlsOf(QWidget& window) {
    QList<QWidget*> controls;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->objectName() == "qt_menubar_ext_button") continue;
        if (qobject_cast<QComboBox*>(widget->parentWidget()) ||
            qobject_cast<QAbstractSpinBox*>(widget->parentWidget()))
            continue;
        if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
            qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QPlainTextEdit*>(widget) ||
            qobject_cast<QTextEdit*>(widget) || qobject_cast<QStatusBar*>(widget))
            controls << widget;
    }
    return controls;
}

// Every control that lacks a name, or a description in Japanese, as "class: name / description".
QStringList undescribedControls(QWidget& window) {
    QStringList missing;
    const QList<QWidget*> controls = controlsOf(window);
    if (controls.isEmpty()) missing << "no controls found";
    for (QWidget* control : controls) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
        const QString name = face ? face->text(QAccessible::Name) : QString();
        const QString description = face ? face->text(QAccessible::Description) : QString();
        if (name.isEmpty() || !isJapanese(description))
            missing << QString("%1: %2 / %3")
                           .arg(control->metaObject()->className(), name, description);
    }
    return missing;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
  private slots:
    void everyControlIsNamedAndDescribedInJapanese_data() {
        QTest::addColumn<QString>("window");
        for (const char* window :
             {"main window", "main window, a slow line running", "options",
              "options without a call-up key", "font", "about", "help", "message"})
            QTest::newRow(window) << QString(window);
    }

    void everyControlIsNamedAndDescribedInJapanese() {
        QFETCH(QString, window);
        test::TempSettings settings;
        QStringList missing;
        if (window.startsWith("main window")) {
            MainFrame frame(settings.get());
            frame.show();
            QVERIFY(QTest::qWaitForWindowExposed(&frame));
            if (window.endsWith("running")) {
                emit frame.findChild<CalcView*>()->evaluationRunning(1500);
                QStatusBar* bar = frame.findChild<QStatusBar*>();
                QVERIFY(bar && bar->isVisible());
                QCOMPARE(QAccessible::queryAccessibleInterface(bar)->text(QAccessible::Description),
                         bar->currentMessage());
            }
            missing = undescribedControls(frame);
        } else if (window.startsWith("options")) {
            OptionsDialog dialog;
            dialog.setValues({3, 'A', 15});
            dialog.showNoHotkeyNote(window.endsWith("key"));
            dialog.initialise();
            dialog.show();
            missing = undescribedControls(dialog);
        } else if (window == "font" || window == "message") {
            QTimer::singleShot(0, [&missing] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (!dialog) return;
                missing = undescribedControls(*dialog);
                static_cast<QDialog*>(dialog)->reject();
            });
            missing << "the dialog did not open";
            if (window == "font")
                chooseFontRecord(nullptr, LogFont{});
            else
                showWarning(nullptr, QStringLiteral("ヘルプファイルが見つかりません。"));
        } else if (window == "about") {
            AboutDialog dialog;
            dialog.show();
            missing = undescribedControls(dialog);
        } else {
            HelpWindow help;
            help.showPage(TALLIX_HELP_PAGE);
            missing = undescribedControls(help);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join("\n")));
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
