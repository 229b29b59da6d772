#pragma once

// config.json as a file: what it holds, whether another program is writing
// it, the wait for it to be quiet, and the exchange that puts Orbel's save in
// its place. What this side keeps:
// - only a change of bytes is another program's save: times or mode alone
//   (touch, chmod, the same bytes written again) are not;
// - a wait for a file still being written ends, on the monotonic clock;
// - nothing another program wrote is ever deleted: a file the exchange takes
//   out that is not Orbel's own bytes is put back, or, once the wait is over
//   or when it is still changing, kept aside under a name that is told;
// - having read a file that could not be used never makes it Orbel's to
//   remove: whatever takes its place keeps the file itself;
// - what is kept aside and what is still to be told outlives a quit, in one
//   record (KeptRecord): the next start removes what is Orbel's own and
//   holds only bytes it accounted for, and tells the rest until answered.
// Nothing here knows what a configuration means; ConfigManager judges it.

#include <QByteArray>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/atomic_file.h"
#include "config/kept_record.h"
#include "platform/timers.h"

namespace orbel {

class ConfigFile {
public:
    explicit ConfigFile(std::string path);
    ~ConfigFile();
    ConfigFile(const ConfigFile&) = delete;
    ConfigFile& operator=(const ConfigFile&) = delete;

    const std::string& path() const { return path_; }

    // MARK: reading

    // What is at the path, read whole (a regular file no larger than
    // `limit`; a pipe or a device is never opened).
    struct Look {
        bool absent = false;                // nothing there (nor a link)
        std::optional<QByteArray> bytes;    // what it holds, when it could be read
        std::string problem;                // why not: the system's reason, or what is there instead
        bool dangling = false;              // a link that leads nowhere
        std::optional<FileStamp> stamp;     // taken before the bytes were read
    };
    Look look(qint64 limit) const;
    // Whether another program may still be writing what `look` read: the
    // file changed since, or moments ago, and not by Orbel. Nothing that can
    // be read at the path, before or after, is nothing being written.
    bool stillWritten(const Look& look) const;
    // The bytes of the file as last read or written. `usable`: they are
    // Orbel's to replace (a save it took in whole); a file read as unusable
    // is kept, whatever takes its place.
    void remember(const Look& look, bool usable = true);
    const std::optional<QByteArray>& known() const { return known_; }
    // Whether the file changed moments ago (by its times), and not by the
    // last read or write.
    bool changing() const;
    // Whether the file holds other bytes than those last read or written.
    // A missing file is no other save: there is nothing in it to lose. The
    // file is read only when its stamp cannot tell.
    bool editedOutside();

    // MARK: the wait for a quiet file

    // The longest a wait lasts, from its start, whatever the file does.
    static constexpr double kLongestWaitSeconds = 5;
    bool waiting() const { return waitingSince_.has_value(); }
    void beginWait();
    // Runs `then` once the file has been left alone for the settle time, or
    // once the wait has lasted its longest; replaces an earlier `then`.
    void whenQuiet(std::function<void()> then);
    // The wait has lasted its longest (or was cut short): what is there is
    // judged as it is, and a file still changing is kept aside, not waited for.
    bool waitOver() const;
    void cutShort() { hurry_ = true; }
    void endWait();

    // MARK: writing

    struct Saved {
        std::optional<std::string> failure;  // "Couldn't save ...: why"
        // Another program saved meanwhile: its file is back in place and
        // nothing was written.
        bool displaced = false;
        // A file taken out that holds, or may still receive, another
        // program's save: where it is kept, and why.
        std::optional<ReplaceGuard::KeptAside> keptAside;
    };
    // Puts `bytes` in the file's place (a link is followed). The file taken
    // out is removed only when it holds Orbel's bytes and is quiet; one that
    // changed is put back (`displaced`) until the wait is over; a file still
    // changing then is kept aside. `keepTakenOutAs`: whatever is taken out
    // is kept under that name (a file judged unusable while its writer may
    // still be writing into it).
    Saved write(std::string_view bytes, const std::optional<std::string>& keepTakenOutAs = std::nullopt);
    // Puts `bytes` back (or removes the file when there were none), after a
    // save that must be undone.
    void restore(const std::optional<QByteArray>& bytes);

    // MARK: keeping what cannot be used

    // A copy of `bytes` under the first free dated name beside `original`
    // (never over an earlier copy); its path, or nothing.
    static std::optional<std::string> keepCopy(const std::string& original, const QByteArray& bytes);
    // The file itself (a link stays a link) renamed to a free dated name.
    std::optional<std::string> moveAside() const;
    // Renames `file` over `copy` when both hold `bytes` (a copy of a file
    // told earlier, which the file itself then replaces under its name).
    static bool putInPlaceOf(const std::string& file, const std::string& copy, const QByteArray& bytes);
    // A dated name beside the file that nothing holds yet.
    std::optional<std::string> freeDatedName() const;

    // MARK: what is kept aside, across a quit

    // A file kept aside because it was changing, which held bytes Orbel had
    // accounted for then (its own save, or one it took in whole, touched by
    // a sync tool), is watched, in this run and the next: once quiet it is
    // removed when it holds those bytes or what config.json holds, and told
    // here, once, when it came to hold anything else (those found at one
    // look, together).
    std::function<void(const std::vector<std::string>& paths)> keptFilesChanged;
    // At a start: looks at what earlier runs kept aside and did not settle.
    void reviewKept();
    // What is still to be told lasts until the user has answered it.
    KeptRecord& record() { return record_; }

    // Tests: runs right before the new file takes the old one's place.
    std::function<void()> beforeReplaceHook;
    // Tests: stands in for renameat2(2).
    RenameCall renameCall;

private:
    bool differsFromKnown(const std::string& path) const;
    using Watched = KeptRecord::Kept;
    void watch(Watched kept);
    void keepWatching();
    void lookAtWatched();

    KeptRecord record_;
    std::vector<Watched> watched_;
    platform::Timers::Id watchTimer_ = 0;

    std::string path_;
    std::optional<QByteArray> known_;
    bool knownUsable_ = true;
    std::optional<FileStamp> knownStamp_;  // when known_ was read or written
    std::optional<FileStamp> writtenStamp_;  // of Orbel's own last save
    std::optional<double> waitingSince_;  // monotonic seconds
    bool hurry_ = false;
    platform::Timers::Id timer_ = 0;
};

// The name a rejected file is kept under: the file's name, ".backup." and the
// seconds since 1970 as the shortest decimal that reads back as the same
// number. When that name is taken, `attempt` 2 names the next later time that
// has a name of its own, and so on.
std::string datedCopyPath(const std::string& path, double secondsSince1970, int attempt);

}  // namespace orbel
