#include "app/console/line_evaluator.h"

#include <mutex>
#include <string_view>

#include "engine/engine.h"

namespace tallix {

QString evaluateWithEngine(const QByteArray& line) {
    const line_result result =
        evaluate_text(std::string_view(line.constData(), static_cast<size_t>(line.size())));
    return QString::fromStdString(result.text);
}

void registerBuiltinsOnce() {
    static std::once_flag once;
    std::call_once(once, register_builtins);
}

}  // namespace tallix
