// Links in the help page, followed in the program's own help window: what it shows, what it
// hands to the desktop's opener and what it leaves alone.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include "app/dialogs/help_links.h"
#include "app/dialogs/help_window.h"

using namespace tallix;

namespace {

const QStringList SCHEMES{"http", "https", "mailto", "x-evil-scheme", "javascript", "file", "ftp"};

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A page with one link at its top and, far below, the anchor "end".
QByteArray pageWithLink(const QString& href) {
    QByteArray page = "<html><head><title>help</title></head><body><p><a href=\"" +
                      href.toHtmlEscaped().toUtf8() + "\">link</a></p>";
    for (int i = 0; i < 200; ++i)
        page += "<p>text</p>";
    return page + "<h2 id=\"end\">end</h2></body></html>";
}

}  // namespace

// Stands in for the desktop's opener of every scheme a link may carry.
class Opener : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

class HelpLinksTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        for (const QString& scheme : SCHEMES)
            QDesktopServices::setUrlHandler(scheme, &opener, "open");
    }
    void cleanupTestCase() {
        for (const QString& scheme : SCHEMES)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void linkIsFollowedOnlyWhereItBelongs_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("outcome");  // opened outside, shown here, scrolled, refused
        QTest::newRow("another scheme") << "x-evil-scheme:payload"
                                        << "refused";
        QTest::newRow("script") << "javascript:alert(1)"
                                << "refused";
        QTest::newRow("endless device") << "file:///dev/zero"
                                        << "refused";
        QTest::newRow("file outside the help folder") << "../secret.htm"
                                                      << "refused";
        QTest::newRow("file outside, absolute") << "@ROOT@/secret.htm"
                                                << "refused";
        QTest::newRow("link inside the folder to a device") << "zero.htm"
                                                            << "refused";
        QTest::newRow("link inside the folder to a file outside") << "escape.htm"
                                                                  << "refused";
        QTest::newRow("file too large to read") << "huge.htm"
                                                << "refused";
        QTest::newRow("missing file") << "missing.htm"
                                      << "refused";
        QTest::newRow("the help folder itself") << "."
                                                << "refused";
        QTest::newRow("ftp") << "ftp://example.org/help"
                             << "refused";
        QTest::newRow("file in the help folder") << "other.htm"
                                                 << "shown here";
        QTest::newRow("file in the help folder, absolute") << "@ROOT@/help/other.htm"
                                                           << "shown here";
        QTest::newRow("anchor in the page") << "#end"
                                            << "scrolled";
        QTest::newRow("http") << "http://example.org/"
                              << "opened outside";
        QTest::newRow("https") << "https://example.org/tallix?x=1"
                               << "opened outside";
        QTest::newRow("mailto") << "mailto:someone@example.org"
                                << "opened outside";
    }

    void linkIsFollowedOnlyWhereItBelongs() {
        QFETCH(QString, href);
        QFETCH(QString, outcome);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        href.replace("@ROOT@", root.path());
        const QString folder = root.filePath("help");
        QVERIFY(QDir().mkpath(folder));
        const QString index = folder + "/index.htm";
        writeFile(index, pageWithLink(href));
        writeFile(folder + "/other.htm", "<html><body><p>other page</p></body></html>");
        writeFile(root.filePath("secret.htm"), "<html><body><p>secret</p></body></html>");
        QVERIFY(QFile::link("/dev/zero", folder + "/zero.htm"));
        QVERIFY(QFile::link(root.filePath("secret.htm"), folder + "/escape.htm"));
        QFile huge(folder + "/huge.htm");
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(MAX_HELP_RESOURCE_BYTES + 1));
        huge.close();

        opener.opened.clear();
        HelpWindow window;
        window.showPage(index);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTextBrowser* page = window.browser();
        const QUrl shownFirst = page->source();
        // The link, followed as the keyboard follows it.
        page->setFocus();
        QTest::keyClick(page, Qt::Key_Tab);
        QTest::keyClick(page, Qt::Key_Return);

        const QUrl target = shownFirst.resolved(QUrl(href));
        QCOMPARE(opener.opened, outcome == "opened outside" ? QList<QUrl>{target} : QList<QUrl>{});
        if (outcome == "shown here") {
            QCOMPARE(page->source(), target);
            QVERIFY(page->toPlainText().contains("other page"));
        } else {
            QCOMPARE(page->source(), shownFirst);
            QVERIFY(page->toPlainText().startsWith("link"));
        }
        QCOMPARE(page->verticalScrollBar()->value() > 0, outcome == "scrolled");
    }

    // A picture or style sheet of the page is a resource too: one from the help folder is
    // read as the page loads; one that names an endless device or a file outside the folder
    // is not read at all.
    void pageResourcesComeFromTheHelpFolderOnly() {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString folder = root.filePath("help");
        QVERIFY(QDir().mkpath(folder));
        writeFile(root.filePath("outside.css"), "p.b { color: #ff0000 }");
        writeFile(folder + "/inside.css", "p.a { color: #0000ff }");
        writeFile(folder + "/index.htm",
                  "<html><head><link rel=\"stylesheet\" type=\"text/css\" href=\"../outside.css\">"
                  "<link rel=\"stylesheet\" type=\"text/css\" href=\"inside.css\"></head><body>"
                  "<img src=\"file:///dev/zero\"><p class=\"a\">inside</p>"
                  "<p class=\"b\">outside</p></body></html>");
        HelpWindow window;
        window.showPage(folder + "/index.htm");
        QTextDocument* page = window.browser()->document();
        const auto colourOf = [page](const QString& text) {
            return QTextCursor(page->find(text)).charFormat().foreground().color();
        };
        QCOMPARE(colourOf("inside"), QColor(0, 0, 255));
        QVERIFY(colourOf("outside") != QColor(255, 0, 0));
        QCOMPARE(window.browser()->loadResource(0, QUrl("file:///dev/zero")).toByteArray(), "");
        QCOMPARE(window.browser()->loadResource(0, QUrl("../outside.css")).toByteArray(), "");
    }

  private:
    Opener opener;
};

QTEST_MAIN(HelpLinksTest)
#include "help_links_test.moc"
