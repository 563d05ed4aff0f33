#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace tallix {

// Turns one console line (UTF-8, no line break) into the text to show below
// it; an empty text means there is nothing to show.
using LineEvaluator = std::function<QString(const QByteArray& line)>;

// The calculator engine as a LineEvaluator.
QString evaluateWithEngine(const QByteArray& line);

// The built-in names enter the engine's table once per process, however many
// consoles are made.
void registerBuiltinsOnce();

}  // namespace tallix
