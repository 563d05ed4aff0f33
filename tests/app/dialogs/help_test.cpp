// Finding the help page and handing it to the desktop's opener (a stub on PATH here).
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextList>
#include <QTextTable>

#include "app/desktop/help.h"
#include "app/dialogs/help_window.h"

using namespace tallix;

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// An opener that records its arguments, one per line, and exits with the given status.
void writeOpener(const QString& dir, const QString& record, int status) {
    const QString script = QDir(dir).filePath(helpOpener());
    writeFile(script, QString("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '%1'; done\n"
                              "exit %2\n")
                          .arg(record)
                          .arg(status)
                          .toUtf8());
    QFile::setPermissions(script, QFile::permissions(script) | QFileDevice::ExeOwner);
}

QStringList recordedLines(const QString& record) {
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void pageBesideTheExecutableComesFirst();
    void installedPageIsTheFallback();
    void dataFolderPageIsFound();
    void nothingFound();
    void opensThePageInAFolderWithBlanks();
    void missingPageWarnsWithoutStartingTheOpener();
    void openerReportingFailureShowsThePageHere();
    void openerThatCannotStartShowsThePageHere();
    void ownWindowFollowsLinksWithinThePage();
    void pageFitsTheWindowAndHeadingsLineUpWithTheText_data();
    void pageFitsTheWindowAndHeadingsLineUpWithTheText();
    void escClosesTheWindow();

  private:
    void runHelp(const QString& exeDir);
    QTemporaryDir* root = nullptr;
    QString openerDir, record;
    QStringList warnings;
    QStringList shownHere;  // pages the program had to show itself
    QByteArray savedPath;
};

void HelpTest::init() {
    root = new QTemporaryDir;
    QVERIFY(root->isValid());
    // Only the folders of this test may count as installed data folders.
    qputenv("XDG_DATA_HOME", root->filePath("data home").toUtf8());
    qputenv("XDG_DATA_DIRS", root->filePath("data dirs").toUtf8());
    openerDir = root->filePath("opener");
    record = root->filePath("opened.txt");
    savedPath = qgetenv("PATH");
    qputenv("PATH", openerDir.toUtf8() + ":" + savedPath);
    warnings.clear();
    shownHere.clear();
}

void HelpTest::cleanup() {
    qputenv("PATH", savedPath);
    delete root;
}

void HelpTest::runHelp(const QString& exeDir) {
    QObject context;
    HelpFallbacks fallbacks;
    fallbacks.warn = [this](const QString& text) { warnings << text; };
    fallbacks.showPage = [this](const QString& path) { shownHere << path; };
    openHelp(exeDir, &context, fallbacks);
    // The opener's verdict comes back asynchronously; wait until it has been heard or the
    // process has gone.
    QTRY_VERIFY_WITH_TIMEOUT(context.findChildren<QObject*>().isEmpty(), 10000);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void HelpTest::pageBesideTheExecutableComesFirst() {
    const QString bin = root->filePath("prefix/bin");
    writeFile(bin + "/index.htm", "beside");
    writeFile(root->filePath("prefix/share/tallix/index.htm"), "installed");
    QCOMPARE(findHelpFile(bin), QDir(bin).filePath("index.htm"));
    QCOMPARE(helpLocations(bin).first(), QDir(bin).filePath("index.htm"));
}

void HelpTest::installedPageIsTheFallback() {
    const QString bin = root->filePath("prefix/bin");
    QDir().mkpath(bin);
    writeFile(root->filePath("prefix/share/tallix/index.htm"), "installed");
    QCOMPARE(findHelpFile(bin), root->filePath("prefix/share/tallix/index.htm"));
}

void HelpTest::dataFolderPageIsFound() {
    const QString bin = root->filePath("elsewhere/bin");
    QDir().mkpath(bin);
    writeFile(root->filePath("data dirs/tallix/index.htm"), "data");
    QCOMPARE(findHelpFile(bin), root->filePath("data dirs/tallix/index.htm"));
}

void HelpTest::nothingFound() {
    const QString bin = root->filePath("prefix/bin");
    QDir().mkpath(bin);
    QDir().mkpath(bin + "/index.htm/");  // a folder of that name is no page
    QCOMPARE(findHelpFile(bin), QString());
}

void HelpTest::opensThePageInAFolderWithBlanks() {
    writeOpener(openerDir, record, 0);
    const QString bin = root->filePath("Program Files/My Tallix/bin");
    writeFile(bin + "/index.htm", "<html></html>");
    runHelp(bin);
    QCOMPARE(recordedLines(record), QStringList{QDir(bin).filePath("index.htm")});
    QCOMPARE(warnings, QStringList());
    QCOMPARE(shownHere, QStringList());
}

void HelpTest::missingPageWarnsWithoutStartingTheOpener() {
    writeOpener(openerDir, record, 0);
    const QString bin = root->filePath("prefix/bin");
    QDir().mkpath(bin);
    runHelp(bin);
    QCOMPARE(warnings, QStringList{helpMissingMessage()});
    QVERIFY(!QFile::exists(record));
}

void HelpTest::openerReportingFailureShowsThePageHere() {
    writeOpener(openerDir, record, 3);
    const QString bin = root->filePath("prefix/bin");
    writeFile(bin + "/index.htm", "<html></html>");
    runHelp(bin);
    QCOMPARE(recordedLines(record).size(), 1);
    QCOMPARE(warnings, QStringList());
    QCOMPARE(shownHere, QStringList{QDir(bin).filePath("index.htm")});
}

void HelpTest::openerThatCannotStartShowsThePageHere() {
    qputenv("PATH", root->filePath("empty").toUtf8());
    const QString bin = root->filePath("prefix/bin");
    writeFile(bin + "/index.htm", "<html></html>");
    runHelp(bin);
    QCOMPARE(warnings, QStringList());
    QCOMPARE(shownHere, QStringList{QDir(bin).filePath("index.htm")});
}

void HelpTest::ownWindowFollowsLinksWithinThePage() {
    HelpWindow window;
    window.showPage(TALLIX_HELP_PAGE);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.browser()->documentTitle().isEmpty());
    QCOMPARE(window.windowTitle(), window.browser()->documentTitle());
    QTextBrowser* page = window.browser();
    QVERIFY(page->toPlainText().contains(QStringLiteral("数式電卓")));
    QCOMPARE(page->verticalScrollBar()->value(), 0);
    // The first link of the contents, followed as the keyboard follows it.
    page->setFocus();
    QTest::keyClick(page, Qt::Key_Tab);
    QTest::keyClick(page, Qt::Key_Return);
    QTRY_VERIFY(page->verticalScrollBar()->value() > 0);
    QVERIFY(page->toPlainText().contains(QStringLiteral("数式電卓")));
}

void HelpTest::pageFitsTheWindowAndHeadingsLineUpWithTheText_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("narrow") << 360;
    QTest::newRow("as it opens") << 640;
    QTest::newRow("wide") << 1000;
}

// Nothing of the page needs a horizontal scroll bar, and the headings, in the contents as
// elsewhere, start where the paragraphs of text start.
void HelpTest::pageFitsTheWindowAndHeadingsLineUpWithTheText() {
    QFETCH(int, width);
    HelpWindow window;
    window.showPage(TALLIX_HELP_PAGE);
    window.resize(width, 560);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTextBrowser* page = window.browser();
    QTextDocument* document = page->document();
    QVERIFY2(document->size().width() <= page->viewport()->width(),
             qPrintable(QString("page %1 wide in %2")
                            .arg(document->size().width())
                            .arg(page->viewport()->width())));
    QTRY_COMPARE(page->horizontalScrollBar()->maximum(), 0);

    QMap<qreal, QStringList> starts;  // where a heading or paragraph starts: its texts
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextCursor at(block);
        if (block.text().isEmpty() || at.currentTable() || at.currentList() ||
            block.blockFormat().nonBreakableLines())
            continue;
        const qreal x = document->documentLayout()->blockBoundingRect(block).left() +
                        block.layout()->lineAt(0).x();
        starts[x] << block.text().left(12);
    }
    QVERIFY2(starts.size() == 1, qPrintable([&] {
                 QString where;
                 for (auto i = starts.begin(); i != starts.end(); ++i)
                     where += QString("%1: %2\n").arg(i.key()).arg(i.value().join(" | "));
                 return where;
             }()));
}

void HelpTest::escClosesTheWindow() {
    HelpWindow window;
    window.showPage(TALLIX_HELP_PAGE);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.browser()->setFocus();
    QTest::keyClick(window.browser(), Qt::Key_Escape);
    QTRY_VERIFY(!window.isVisible());
}

QTEST_MAIN(HelpTest)
#include "help_test.moc"
