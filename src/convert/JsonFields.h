#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <array>
#include <cstdint>

#include "FieldIo.h"
#include "JsonValues.h"
#include "MeasurementModel.h"

namespace tk {

// Puts each named field of a field list into a JSON object.
struct JsonOut {
    QJsonObject& object;

    void operator()(const char* key, float v) { object[key] = FloatToJson(v); }
    void operator()(const char* key, VbBool v) { object[key] = BoolToJson(v); }
    void operator()(const char* key, std::int16_t v) { object[key] = v; }
    void operator()(const char* key, std::int32_t v) { object[key] = v; }
    void operator()(const char* key, std::uint8_t v) { object[key] = v; }
    template <std::size_t N>
    void operator()(const char* key, const FixedText<N>& text) {
        object[key] = TextToJson(text.bytes());
    }
    void checked(const char* key, std::int16_t v, bool (*)(int)) { object[key] = v; }
    // Entries first .. first + count - 1 of an array.
    template <typename T, std::size_t N>
    void list(const char* key, const std::array<T, N>& values, std::size_t first, std::size_t count) {
        QJsonArray array;
        for (std::size_t i = first; i < first + count; ++i) array.append(Value(values[i]));
        object[key] = array;
    }
    template <typename Fields, typename Item>
    void objects(const char* key, const Item* items, std::size_t count, Fields fields) {
        QJsonArray array;
        for (std::size_t i = 0; i < count; ++i) {
            QJsonObject o;
            JsonOut io{o};
            fields(io, items[i]);
            array.append(o);
        }
        object[key] = array;
    }
    template <typename Fields, typename Item>
    void object1(const char* key, const Item& item, Fields fields) {
        QJsonObject o;
        JsonOut io{o};
        fields(io, item);
        object[key] = o;
    }

private:
    static QJsonValue Value(float v) { return FloatToJson(v); }
    static QJsonValue Value(std::int16_t v) { return v; }
    static QJsonValue Value(VbBool v) { return BoolToJson(v); }
};

// Takes each named field of a field list from a JSON object; the first fault is kept, with the path of
// the field, and every later field is left alone.
struct JsonIn {
    const QJsonObject& object;
    QString path;
    QString error;

    bool ok() const { return error.isEmpty(); }

    void operator()(const char* key, float& v) {
        take(key, v, [](const QJsonValue& j, QString& e) { return FloatFromJson(j, e); });
    }
    void operator()(const char* key, VbBool& v) {
        take(key, v, [](const QJsonValue& j, QString& e) { return BoolFromJson(j, e); });
    }
    void operator()(const char* key, std::int16_t& v) { integer(key, v); }
    void operator()(const char* key, std::int32_t& v) { integer(key, v); }
    void operator()(const char* key, std::uint8_t& v) { integer(key, v); }
    template <std::size_t N>
    void operator()(const char* key, FixedText<N>& text) {
        QByteArray bytes = text.bytes();
        take(key, bytes, [](const QJsonValue& j, QString& e) { return TextFromJson(j, N, e); });
        text.setBytes(bytes);
    }
    // A value that selects an option or sizes a trace: one the program's loader would not take is refused.
    void checked(const char* key, std::int16_t& v, bool (*valid)(int)) {
        std::int16_t value = v;
        integer(key, value);
        if (ok() && !valid(value))
            fail(key, QStringLiteral("%1 is not a value the program takes").arg(value));
        else
            v = value;
    }
    template <typename T, std::size_t N>
    void list(const char* key, std::array<T, N>& values, std::size_t first, std::size_t count) {
        const QJsonArray array = arrayOf(key, count);
        for (std::size_t i = 0; ok() && i < static_cast<std::size_t>(array.size()); ++i) {
            QString e;
            const auto v = Value<T>(array[static_cast<qsizetype>(i)], e);
            if (v)
                values[first + i] = *v;
            else
                fail(key, QStringLiteral("entry %1: %2").arg(i).arg(e));
        }
    }
    template <typename Fields, typename Item>
    void objects(const char* key, Item* items, std::size_t count, Fields fields) {
        const QJsonArray array = arrayOf(key, count);
        for (std::size_t i = 0; ok() && i < static_cast<std::size_t>(array.size()); ++i) {
            const QJsonObject item = array[static_cast<qsizetype>(i)].toObject();
            JsonIn io{item, QStringLiteral("%1%2[%3].").arg(path, QLatin1String(key)).arg(i), {}};
            fields(io, items[i]);
            error = io.error;
        }
    }
    template <typename Fields, typename Item>
    void object1(const char* key, Item& item, Fields fields) {
        if (!present(key)) return;
        if (!object[key].isObject()) return fail(key, QStringLiteral("expected an object"));
        const QJsonObject inner = object[key].toObject();
        JsonIn io{inner, path + QLatin1String(key) + u'.', {}};
        fields(io, item);
        error = io.error;
    }

private:
    void fail(const char* key, const QString& what) {
        if (ok()) error = path + QLatin1String(key) + QStringLiteral(": ") + what;
    }
    bool present(const char* key) {
        if (!ok()) return false;
        if (!object.contains(QLatin1String(key))) fail(key, QStringLiteral("missing"));
        return ok();
    }
    template <typename T, typename Convert>
    void take(const char* key, T& field, Convert convert) {
        if (!present(key)) return;
        QString e;
        if (const auto v = convert(object[key], e))
            field = *v;
        else
            fail(key, e);
    }
    template <typename Int>
    void integer(const char* key, Int& field) {
        take(key, field, [](const QJsonValue& j, QString& e) -> std::optional<Int> {
            const auto v =
                IntFromJson(j, std::numeric_limits<Int>::min(), std::numeric_limits<Int>::max(), e);
            if (!v) return std::nullopt;
            return static_cast<Int>(*v);
        });
    }
    QJsonArray arrayOf(const char* key, std::size_t count) {
        if (!present(key)) return {};
        const QJsonArray array = object[key].toArray();
        if (!object[key].isArray() || static_cast<std::size_t>(array.size()) != count) {
            fail(key, QStringLiteral("expected a list of %1 entries").arg(count));
            return {};
        }
        return array;
    }
    template <typename T>
    static std::optional<T> Value(const QJsonValue& j, QString& e) {
        if constexpr (std::is_same_v<T, float>) {
            return FloatFromJson(j, e);
        } else if constexpr (std::is_same_v<T, VbBool>) {
            return BoolFromJson(j, e);
        } else {
            const auto v = IntFromJson(j, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), e);
            if (!v) return std::nullopt;
            return static_cast<T>(*v);
        }
    }
};

}  // namespace tk
