#include "app/dialogs/font_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <algorithm>
#include <cstdlib>

#include "app/dialogs/control_description.h"

namespace tallix {

namespace {

// The style entry of `family` closest to the weight and slant asked for; the slant must match
// where the face has one.
QString matchingStyle(const QString& family, int weight, bool italic) {
    QString best;
    int bestScore = 0;
    for (const QString& style : QFontDatabase::styles(family)) {
        // QFontDatabase::italic() does not count an oblique face as slanted.
        const QFont face = QFontDatabase::font(family, style, 12);
        const int score = std::abs(face.weight() - weight) + (face.italic() == italic ? 0 : 10000);
        if (best.isEmpty() || score < bestScore) {
            best = style;
            bestScore = score;
        }
    }
    return best;
}

bool sameFace(const QFont& a, const QFont& b) {
    return a.families().value(0) == b.families().value(0);
}

bool sameStyle(const QFont& a, const QFont& b) {
    return a.weight() == b.weight() && a.italic() == b.italic();
}

bool sameSize(const QFont& a, const QFont& b) {
    return QFontInfo(a).pixelSize() == QFontInfo(b).pixelSize();
}

// The font dialog offers no effects: a console font has no underline, strike-out or colour.
void hideEffects(QFontDialog& dialog) {
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        if (!group->findChildren<QCheckBox*>().isEmpty()) group->hide();
    }
}

}  // namespace

void describeFontControls(QFontDialog& dialog) {
    dialog.setAccessibleDescription(QStringLiteral("コンソールのフォントを選びます。"));
    const QString what[] = {QStringLiteral("フォント名"), QStringLiteral("スタイル"),
                            QStringLiteral("サイズ")};
    // The dialog makes, for each of the three, an edit box and then its list.
    QList<QLineEdit*> edits = dialog.findChildren<QLineEdit*>();
    edits.removeIf([](QLineEdit* edit) { return qobject_cast<QGroupBox*>(edit->parentWidget()); });
    const QList<QListView*> lists = dialog.findChildren<QListView*>();
    for (int i = 0; i < 3 && i < edits.size() && i < lists.size(); ++i) {
        describeControl(edits[i], what[i],
                        what[i] + QStringLiteral("の入力欄。一覧から選ぶこともできます。"));
        describeControl(lists[i], what[i] + QStringLiteral("の一覧"),
                        what[i] + QStringLiteral("を選ぶ一覧です。"));
    }
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (qobject_cast<QGroupBox*>(edit->parentWidget()))
            describeControl(edit, QStringLiteral("見本"),
                            QStringLiteral("選んだフォントで表示した見本です。"));
    }
    for (QComboBox* box : dialog.findChildren<QComboBox*>())
        describeControl(box, QStringLiteral("文字体系"),
                        QStringLiteral("一覧に出すフォントを、対応する文字の体系で絞り込みます。"));
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>()) {
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            describeControl(ok, QStringLiteral("OK"),
                            QStringLiteral("選んだフォントをコンソールに使います。"));
        if (QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel))
            describeControl(cancel, QStringLiteral("キャンセル"),
                            QStringLiteral("フォントを変えずにダイアログを閉じます。"));
    }
}

QFont fontForDialog(const QFont& font) {
    const QFontInfo actual(font);
    QFont listed = font;
    listed.setFamilies({actual.family()});
    const QString style = matchingStyle(actual.family(), font.weight(), font.italic());
    if (!style.isEmpty()) listed.setStyleName(style);
    return listed;
}

LogFont applyChoice(const LogFont& current, const QFont& opened, const QFont& chosen) {
    if (!sameFace(opened, chosen)) return fromQFont(chosen);
    LogFont record = current;
    if (!sameStyle(opened, chosen)) {
        record.weight = chosen.weight();
        record.italic = chosen.italic() ? 1 : 0;
    }
    if (!sameSize(opened, chosen)) record.height = -QFontInfo(chosen).pixelSize();
    return record;
}

void keepSampleReadable(QFontDialog& dialog) {
    // The sample lies in the group the effects shared rows with; it takes whatever height
    // those rows have, which is next to none once the effects are hidden.
    QLineEdit* sample = nullptr;
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>()) {
        if (qobject_cast<QGroupBox*>(edit->parentWidget())) sample = edit;
    }
    if (sample == nullptr) return;
    auto fit = [sample](const QFont& font) {
        const int frame = 2 * sample->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8;
        sample->setMinimumHeight(std::min(QFontMetrics(font).height() + frame, 240));
    };
    QObject::connect(&dialog, &QFontDialog::currentFontChanged, sample, fit);
    fit(sample->font());
}

std::optional<LogFont> chooseFontRecord(QWidget* parent, const LogFont& current) {
    QFontDialog dialog(parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::WindowModal);  // the tray menu stays usable
    hideEffects(dialog);
    keepSampleReadable(dialog);
    describeFontControls(dialog);
    dialog.setCurrentFont(fontForDialog(toQFont(current)));
    // Compared with what the dialog itself makes of the record, not with the record's font:
    // the dialog counts sizes in whole points.
    const QFont opened = dialog.currentFont();
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return applyChoice(current, opened, dialog.selectedFont());
}

}  // namespace tallix
