#pragma once

#include <QObject>

class QSocketNotifier;

namespace tallix {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, a shutdown, a closed terminal)
// into a signal delivered on the event loop, so the program can end as Exit
// ends it instead of dying with its window state unsaved.
class TerminationSignals : public QObject {
    Q_OBJECT
  public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

  signals:
    void received();

  private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tallix
