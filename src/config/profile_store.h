#pragma once

// The user's named profiles: one configuration document per file in the
// profiles folder, at most six. No cache: every call goes to the disk.

#include <string>
#include <variant>
#include <vector>

#include "model/app_config.h"

namespace orbel {

class ProfileStoreError : public std::exception {
public:
    enum class Kind { invalidName, alreadyExists, notFound, io, atCap };

    ProfileStoreError(Kind kind, std::string payload = {});
    Kind kind() const { return kind_; }
    // invalidName: the message to show; alreadyExists/notFound: the name as
    // passed; io: the description of the underlying failure; atCap: empty.
    const std::string& payload() const { return payload_; }
    bool operator==(const ProfileStoreError& other) const { return kind_ == other.kind_ && payload_ == other.payload_; }
    // A short generic text for logs and for callers that show it as is.
    const char* what() const noexcept override { return what_.c_str(); }

private:
    Kind kind_;
    std::string payload_;
    std::string what_;
};

class ProfileStore {
public:
    static constexpr int kLimit = 6;

    // The default folder is <configuration folder>/profiles; it is created
    // by the first save.
    ProfileStore();
    explicit ProfileStore(std::string directory);

    const std::string& directory() const { return directory_; }

    std::vector<std::string> list() const;  // sorted; never fails
    AppConfig load(const std::string& name) const;
    void save(const AppConfig& config, const std::string& name) const;
    void remove(const std::string& name) const;  // "delete"
    void duplicate(const std::string& source, const std::string& destination) const;
    // The file of a profile, after the name checks (invalidName only).
    std::string url(const std::string& name) const;
    void ensureDirectory() const;

private:
    std::string directory_;
};

}  // namespace orbel
