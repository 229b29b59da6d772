#include "input/hidpp_device.h"

#include "platform/log.h"

namespace orbel::input {

using platform::HidError;
using platform::Log;
using platform::LogCategory;
using platform::LogTarget;

namespace {
void printLine(const std::string& line) {
    Log::write(LogCategory::hidpp, "[orbel-hidpp] " + line, LogTarget::standardOutput);
}
}  // namespace

HidppDevice::HidppDevice(std::shared_ptr<platform::HidDevice> device)
    : device_(std::move(device)), timers_(platform::Timers::shared()) {}

HidppDevice::~HidppDevice() {
    device_->setInputReportHandler(nullptr);
    for (auto& [identifier, pending] : pending_) {
        if (pending->timer) timers_.cancel(pending->timer);
    }
}

void HidppDevice::open(std::shared_ptr<platform::HidDevice> device,
                       std::function<void(HidppResult<std::shared_ptr<HidppDevice>>)> done) {
    std::shared_ptr<HidppDevice> hidpp(new HidppDevice(device));
    std::weak_ptr<HidppDevice> weak = hidpp;
    device->setInputReportHandler([weak](int reportId, const HidBytes& data, std::optional<HidError> error) {
        // HID++ traffic is printed, even once nobody listens any more; the
        // device's other reports (pointer motion, keys) are not.
        if (hidpp::isHidppReport(reportId))
            printLine("raw report=0x" + hidpp::hex(static_cast<unsigned>(reportId)) + " len=" +
                      std::to_string(data.size()) +
                      " bytes=" + hidpp::hexBytes(data.data(), std::min<std::size_t>(data.size(), 16)));
        if (auto self = weak.lock()) self->handleInputReport(reportId, data, error);
    });
    device->open([hidpp, done = std::move(done)](std::optional<HidError> error) {
        if (error) {
            done(*error);
        } else {
            done(hidpp);
        }
    });
}

void HidppDevice::request(std::uint8_t featureIndex, std::uint8_t functionIndex, HidBytes parameters,
                          Completion<HidBytes> done) {
    if (parameters.size() > hidpp::kParameterBytes) {
        done(HidppError{HidppError::Kind::tooLongRequest, std::move(parameters)});
        return;
    }
    lastRequestIdentifier_ = (lastRequestIdentifier_ + 1) & 0x07;
    const std::uint8_t identifier = lastRequestIdentifier_;
    if (pending_.count(identifier)) {
        done(HidppError{HidppError::Kind::duplicatedRequestIdentifier, {}});
        return;
    }
    auto pending = std::make_shared<Pending>();
    pending->request = hidpp::Request{identifier, hidpp::kDeviceIndex, featureIndex, functionIndex, std::move(parameters)};
    pending->done = std::move(done);
    pending_[identifier] = pending;
    std::weak_ptr<HidppDevice> weak = weak_from_this();
    device_->sendReport(platform::HidReportType::output, hidpp::kLongReportId, hidpp::serializeRequest(pending->request),
                        [weak, pending](std::optional<HidError> error) {
                            if (auto self = weak.lock()) self->sent(pending, error);
                        });
}

void HidppDevice::sent(const std::shared_ptr<Pending>& pending, const std::optional<HidError>& error) {
    auto it = pending_.find(pending->request.identifier);
    if (it == pending_.end() || it->second != pending) return;  // answered before the send completed
    if (error) {
        finish(pending, *error);
        return;
    }
    std::weak_ptr<HidppDevice> weak = weak_from_this();
    std::weak_ptr<Pending> which = pending;
    pending->timer = timers_.singleShot(kTimeout, [weak, which] {
        auto self = weak.lock();
        auto request = which.lock();
        if (!self || !request) return;
        request->timer = 0;
        self->finish(request, HidppError{HidppError::Kind::timeout, {}});
    });
}

void HidppDevice::finish(const std::shared_ptr<Pending>& pending, HidppResult<HidBytes> result) {
    auto it = pending_.find(pending->request.identifier);
    if (it == pending_.end() || it->second != pending) return;
    pending_.erase(it);
    if (pending->timer) timers_.cancel(pending->timer);
    pending->timer = 0;
    auto done = std::move(pending->done);
    done(std::move(result));
}

void HidppDevice::handleInputReport(int reportId, const HidBytes& data, const std::optional<HidError>& error) {
    if (reportId != hidpp::kLongReportId || error) return;
    auto response = hidpp::parseResponse(data);
    if (!response) return;
    dispatch(*response);
}

void HidppDevice::dispatch(const hidpp::Response& response) {
    if (response.isNotification) {
        printLine("notification featureIndex=0x" + hidpp::hex(response.featureIndex) +
                  " fn=0x" + hidpp::hex(response.functionIndex) + " data=" + hidpp::hexBytes(response.data));
        if (notificationHandler_) {
            auto handler = notificationHandler_;  // may replace itself
            handler(response.featureIndex, response.functionIndex, response.data);
        }
        return;
    }
    auto it = pending_.find(response.identifier);
    if (it == pending_.end()) return;
    auto pending = it->second;
    const hidpp::Request& request = pending->request;
    if (request.index != response.index || request.featureIndex != response.featureIndex ||
        request.functionIndex != response.functionIndex) {
        finish(pending, HidppError{HidppError::Kind::unexpectedInputRequest, {}});
    } else if (response.isError) {
        finish(pending, HidppError{HidppError::Kind::errorInputRequest, response.data});
    } else {
        finish(pending, response.data);
    }
}

void HidppDevice::feature(std::uint16_t featureId, Completion<Feature> done) {
    if (auto it = features_.find(featureId); it != features_.end()) {
        done(it->second);
        return;
    }
    std::weak_ptr<HidppDevice> weak = weak_from_this();
    request(0, 0, {static_cast<std::uint8_t>(featureId >> 8), static_cast<std::uint8_t>(featureId & 0xFF)},
            [weak, featureId, done = std::move(done)](HidppResult<HidBytes> answer) {
                auto self = weak.lock();
                if (!self) return;
                if (!answer.ok()) {
                    done(answer.failure());
                    return;
                }
                const HidBytes& bytes = answer.value();
                if (bytes.size() < 3) {
                    done(HidppError{HidppError::Kind::invalidData, bytes});
                    return;
                }
                const Feature found{bytes[0], bytes[2]};
                self->features_[featureId] = found;
                done(found);
            });
}

}  // namespace orbel::input
