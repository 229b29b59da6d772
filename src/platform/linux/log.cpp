#include "platform/log.h"

#include <cstdio>
#include <mutex>

namespace orbel::platform {
namespace {

Q_LOGGING_CATEGORY(lcHidpp, "orbel.hidpp", QtInfoMsg)
Q_LOGGING_CATEGORY(lcInput, "orbel.input", QtInfoMsg)
// Signposts are many (one per pointer move): off unless asked for with
// QT_LOGGING_RULES="orbel.signpost.info=true".
Q_LOGGING_CATEGORY(lcSignpost, "orbel.signpost", QtWarningMsg)
Q_LOGGING_CATEGORY(lcConfig, "orbel.config", QtInfoMsg)

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}
Log::Sink& sink() {
    static Log::Sink s;
    return s;
}

}  // namespace

const QLoggingCategory& loggingCategory(LogCategory category) {
    switch (category) {
    case LogCategory::hidpp: return lcHidpp();
    case LogCategory::input: return lcInput();
    case LogCategory::signpost: return lcSignpost();
    case LogCategory::config: return lcConfig();
    }
    return lcInput();
}

void Log::write(LogCategory category, std::string_view line, LogTarget target) {
    Log::Sink current;
    {
        std::lock_guard lock(sinkMutex());
        current = sink();
    }
    if (current) {
        current(category, std::string(line));
        return;
    }
    // Standard output and the category end up on the same terminal (or
    // journal): a line meant for both is written once, through the category
    // when it is enabled, else to standard output.
    const QLoggingCategory& cat = loggingCategory(category);
    if (target == LogTarget::both) target = cat.isInfoEnabled() ? LogTarget::category : LogTarget::standardOutput;
    if (target == LogTarget::standardOutput) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    } else if (cat.isInfoEnabled()) {
        QMessageLogger(nullptr, 0, nullptr, cat.categoryName()).info().noquote()
            << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
}

bool Log::wanted(LogCategory category) {
    {
        std::lock_guard lock(sinkMutex());
        if (sink()) return true;
    }
    return loggingCategory(category).isInfoEnabled();
}

void Log::setSink(Sink s) {
    std::lock_guard lock(sinkMutex());
    sink() = std::move(s);
}

}  // namespace orbel::platform
