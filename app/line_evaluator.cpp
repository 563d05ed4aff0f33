#include "app/line_evaluator.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "engine/language/engine.h"

namespace tallix {

QString evaluateWithEngine(const QByteArray& line) {
    const qsizetype length = std::min<qsizetype>(line.size(), MAX_LINE_BYTES);
    std::memcpy(input_buffer, line.constData(), length);
    input_buffer[length] = '\n';
    input_buffer[length + 1] = '\0';
    output_buffer[0] = '\0';
    evaluate_line();
    return QString::fromUtf8(output_buffer, qstrnlen(output_buffer, sizeof output_buffer));
}

void registerBuiltinsOnce() {
    static std::once_flag once;
    std::call_once(once, register_builtins);
}

}  // namespace tallix
