// The help page documents every built-in function, and each of its examples shows what the
// engine really prints for it (evaluated in page order, so assignments carry over).
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "engine/engine.h"
#include "engine/functions/func_table.h"

using namespace tallix;

namespace {

QString page() {
    QFile file(QStringLiteral(TALLIX_HELP_PAGE));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

QString unescape(QString text) {
    return text.replace("&lt;", "<")
        .replace("&gt;", ">")
        .replace("&quot;", "\"")
        .replace("&amp;", "&");
}

QString evaluate(const QString& line) {
    return QString::fromStdString(evaluate_text(line.toStdString()).text);
}

struct Example {
    QString input;
    QString kind;  // "out": exactly this text; "none": nothing printed; "any": not checked
    QString shown;
};

// Inputs are <code class="in"> and results <samp class="out|none|any">, paired in order.
QList<Example> examples(const QString& html) {
    static const QRegularExpression token(
        R"re(<code class="in">(.*?)</code>|<samp class="(out|none|any)">(.*?)</samp>)re");
    QStringList inputs;
    QList<Example> pairs;
    for (auto it = token.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            inputs << unescape(m.captured(1));
        } else if (!inputs.isEmpty()) {
            pairs.append({inputs.takeFirst(), m.captured(2), unescape(m.captured(3))});
        }
    }
    return pairs;
}

}  // namespace

class HelpPageTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void documentsEveryBuiltin();
    void examplesShowWhatTheEnginePrints();
};

void HelpPageTest::initTestCase() {
    QVERIFY2(!page().isEmpty(), TALLIX_HELP_PAGE);
    register_builtins();
    set_precision(15);
}

void HelpPageTest::documentsEveryBuiltin() {
    const QString html = page();
    int count = 0;
    for (const func_entry* f = func_table; f->name[0] != '\0'; ++f, ++count) {
        const QString name = QString::fromLatin1(f->name);
        const QString form = f->nargs == 0   ? "<code>" + name + "</code>"
                             : f->nargs == 1 ? "<code>" + name + "(x)</code>"
                                             : QString("<code>%1(").arg(name);
        QVERIFY2(html.contains(form), qPrintable(name));
    }
    QCOMPARE(count, 38);
}

void HelpPageTest::examplesShowWhatTheEnginePrints() {
    const QList<Example> all = examples(page());
    QVERIFY(all.size() >= 38);
    for (const Example& e : all) {
        const QString printed = evaluate(e.input);
        if (e.kind == "any") continue;
        const QString expected = e.kind == "none" ? QString() : e.shown;
        QVERIFY2(
            printed == expected,
            qPrintable(
                QString("%1 printed «%2», the page says «%3»").arg(e.input, printed, expected)));
    }
}

QTEST_GUILESS_MAIN(HelpPageTest)
#include "help_page_test.moc"
