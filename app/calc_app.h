#pragma once

#include <QApplication>
#include <memory>

namespace tallix {

class MainFrame;
class Settings;
class SingleInstance;

// The program: one instance per user, one window. A second launch shows the
// first one's window and ends without touching the settings.
class CalcApp : public QApplication {
    Q_OBJECT
  public:
    CalcApp(int& argc, char** argv);
    ~CalcApp() override;

    // Starts up and runs the event loop; the process's exit code.
    int run();

    // "/s" in any letter case, or "--hidden", anywhere after the program path.
    static bool startsHidden(const QStringList& arguments);

  public slots:
    // Destroys the window (which stores its place) and ends the program.
    void exitProgram();

  private:
    void installTranslations();
    void reportSaveFailure(const QString& path);

    std::unique_ptr<SingleInstance> instance_;
    std::unique_ptr<Settings> settings_;
    std::unique_ptr<MainFrame> frame_;
    // While a signal or the session ends the program, nobody may be there to
    // answer a message box: a failed save goes to the log instead.
    bool quiet_ = false;
    QString unsavedNotice_;  // a failed save met while the window was destroyed
};

}  // namespace tallix
