// What assistive technology says of a control: its name and what it is for, in Japanese.
#pragma once

#include <QString>
#include <QWidget>

namespace tallix {

inline void describeControl(QWidget* control, const QString& name, const QString& description) {
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

}  // namespace tallix
