#include "input/hidpp_features.h"

#include <QStringDecoder>
#include <algorithm>

namespace orbel::input::hidpp {

namespace {

HidppError invalid(HidBytes data) { return HidppError{HidppError::Kind::invalidData, std::move(data)}; }

// Looks up `featureId`, sends one request to it and decodes the answer.
template <class T, class Decode>
void call(const DevicePtr& device, std::uint16_t featureId, std::uint8_t function, HidBytes parameters,
          Decode decode, Completion<T> done) {
    std::weak_ptr<HidppDevice> weak = device;
    device->feature(featureId, [weak, function, parameters = std::move(parameters), decode = std::move(decode),
                                done = std::move(done)](HidppResult<HidppDevice::Feature> feature) mutable {
        auto self = weak.lock();
        if (!self) return;
        if (!feature.ok()) {
            done(feature.failure());
            return;
        }
        self->request(feature.value().index, function, std::move(parameters),
                      [decode = std::move(decode), done = std::move(done)](HidppResult<HidBytes> answer) {
                          if (!answer.ok()) {
                              done(answer.failure());
                          } else {
                              done(decode(answer.value()));
                          }
                      });
    });
}

std::optional<std::string> strictUtf8(const HidBytes& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

// Collects the friendly name chunk by chunk from position `have.size()`.
void collectName(std::weak_ptr<HidppDevice> weak, std::uint8_t index, std::size_t length, HidBytes have,
                 Completion<std::string> done) {
    if (have.size() >= length) {
        auto text = strictUtf8(have);
        if (text) {
            done(*text);
        } else {
            done(invalid(std::move(have)));
        }
        return;
    }
    auto self = weak.lock();
    if (!self) return;
    const auto position = static_cast<std::uint8_t>(have.size());
    self->request(index, 1, {position},
                  [weak, index, length, have = std::move(have), done = std::move(done)](HidppResult<HidBytes> answer) mutable {
                      if (!answer.ok()) {
                          done(answer.failure());
                          return;
                      }
                      const HidBytes& chunk = answer.value();
                      // A chunk without a character would never finish the name.
                      if (chunk.size() <= 1) {
                          done(invalid(std::move(have)));
                          return;
                      }
                      const std::size_t take = std::min(length - have.size(), chunk.size() - 1);
                      have.insert(have.end(), chunk.begin() + 1, chunk.begin() + 1 + static_cast<std::ptrdiff_t>(take));
                      collectName(weak, index, length, std::move(have), std::move(done));
                  });
}

}  // namespace

HidppResult<HidppBattery> decodeBattery(const HidBytes& payload) {
    if (payload.size() < 3) return invalid(payload);
    HidppBattery battery;
    battery.percentage = payload[0];
    const std::uint8_t level = payload[1];
    if (level == 1 || level == 2 || level == 4 || level == 8) battery.level = static_cast<HidppBattery::Level>(level);
    if (payload[2] <= 7) battery.status = static_cast<HidppBattery::Status>(payload[2]);
    return battery;
}

HidppResult<std::uint16_t> decodeSensorDpi(const HidBytes& payload, std::uint8_t sensorIndex) {
    if (payload.size() < 3 || payload[0] != sensorIndex) return invalid(payload);
    return static_cast<std::uint16_t>(payload[1] << 8 | payload[2]);
}

HidppResult<HidppDpiList> decodeDpiList(const HidBytes& payload, std::uint8_t sensorIndex) {
    if (payload.empty() || payload[0] != sensorIndex) return invalid(payload);
    struct Entry {
        bool isStep;
        int amount;
    };
    std::vector<Entry> entries;
    for (std::size_t offset = 1; offset + 1 < payload.size(); offset += 2) {
        const int word = payload[offset] << 8 | payload[offset + 1];
        if (word == 0) break;
        if ((word & 0xE000) == 0xE000) {
            entries.push_back({true, word & 0x1FFF});
        } else {
            entries.push_back({false, word});
        }
    }
    if (entries.size() == 3 && !entries[0].isStep && entries[1].isStep && !entries[2].isStep) {
        if (entries[1].amount == 0) return invalid(payload);  // a stride that never moves
        return HidppDpiList(HidppDpiStride{static_cast<std::uint16_t>(entries[0].amount),
                                           static_cast<std::uint16_t>(entries[2].amount), entries[1].amount});
    }
    std::vector<std::uint16_t> values;
    for (const Entry& entry : entries) {
        if (entry.isStep) return invalid(payload);
        values.push_back(static_cast<std::uint16_t>(entry.amount));
    }
    return HidppDpiList(std::move(values));
}

std::string decodeSerialNumber(const HidBytes& payload) {
    const auto end = std::find(payload.begin(), payload.end(), 0);
    const QByteArray bytes(reinterpret_cast<const char*>(payload.data()), static_cast<qsizetype>(end - payload.begin()));
    return QString::fromUtf8(bytes).toStdString();
}

void battery(const DevicePtr& device, Completion<HidppBattery> done) {
    call<HidppBattery>(device, kBatteryFeature, 1, {}, decodeBattery, std::move(done));
}

void sensorCount(const DevicePtr& device, Completion<std::uint8_t> done) {
    call<std::uint8_t>(device, kDpiFeature, 0, {}, [](const HidBytes& payload) -> HidppResult<std::uint8_t> {
        if (payload.empty()) return invalid(payload);
        return payload[0];
    }, std::move(done));
}

void sensorDpi(const DevicePtr& device, std::uint8_t sensorIndex, Completion<std::uint16_t> done) {
    call<std::uint16_t>(device, kDpiFeature, 2, {sensorIndex},
                        [sensorIndex](const HidBytes& payload) { return decodeSensorDpi(payload, sensorIndex); },
                        std::move(done));
}

void setSensorDpi(const DevicePtr& device, std::uint16_t dpi, std::uint8_t sensorIndex, Completion<std::uint16_t> done) {
    call<std::uint16_t>(device, kDpiFeature, 3,
                        {sensorIndex, static_cast<std::uint8_t>(dpi >> 8), static_cast<std::uint8_t>(dpi & 0xFF)},
                        [sensorIndex](const HidBytes& payload) { return decodeSensorDpi(payload, sensorIndex); },
                        std::move(done));
}

void sensorDpiList(const DevicePtr& device, std::uint8_t sensorIndex, Completion<HidppDpiList> done) {
    call<HidppDpiList>(device, kDpiFeature, 1, {sensorIndex},
                       [sensorIndex](const HidBytes& payload) { return decodeDpiList(payload, sensorIndex); },
                       std::move(done));
}

void serialNumber(const DevicePtr& device, Completion<std::string> done) {
    call<std::string>(device, kDeviceInfoFeature, 2, {},
                      [](const HidBytes& payload) { return HidppResult<std::string>(decodeSerialNumber(payload)); },
                      std::move(done));
}

void friendlyName(const DevicePtr& device, Completion<std::string> done) {
    std::weak_ptr<HidppDevice> weak = device;
    device->feature(kFriendlyNameFeature, [weak, done = std::move(done)](HidppResult<HidppDevice::Feature> feature) mutable {
        auto self = weak.lock();
        if (!self) return;
        if (!feature.ok()) {
            done(feature.failure());
            return;
        }
        const std::uint8_t index = feature.value().index;
        self->request(index, 0, {}, [weak, index, done = std::move(done)](HidppResult<HidBytes> answer) mutable {
            if (!answer.ok()) {
                done(answer.failure());
            } else if (answer.value().size() < 3) {
                done(invalid(answer.value()));
            } else {
                collectName(weak, index, answer.value()[2], {}, std::move(done));
            }
        });
    });
}

}  // namespace orbel::input::hidpp

namespace orbel::input {

nlohmann::ordered_json HidppBattery::toJson() const {
    nlohmann::ordered_json json{{"percentage", percentage}};
    if (level) json["level"] = static_cast<int>(*level);
    if (status) json["status"] = static_cast<int>(*status);
    return json;
}

HidppBattery HidppBattery::fromJson(const nlohmann::ordered_json& json) {
    HidppBattery battery;
    const int percentage = json.at("percentage").get<int>();
    if (percentage < 0 || percentage > 255)
        throw nlohmann::json::other_error::create(501, "percentage: out of range", &json);
    battery.percentage = static_cast<std::uint8_t>(percentage);
    if (json.contains("level")) {
        const int raw = json.at("level").get<int>();
        if (raw != 1 && raw != 2 && raw != 4 && raw != 8)
            throw nlohmann::json::other_error::create(501, "level: unknown raw value", &json);
        battery.level = static_cast<Level>(raw);
    }
    if (json.contains("status")) {
        const int raw = json.at("status").get<int>();
        if (raw < 0 || raw > 7) throw nlohmann::json::other_error::create(501, "status: unknown raw value", &json);
        battery.status = static_cast<Status>(raw);
    }
    return battery;
}

}  // namespace orbel::input
