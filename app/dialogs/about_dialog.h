// The About box: program icon, name and version, one button.
#pragma once

#include <QDialog>

namespace tallix {

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace tallix
