// Settings read from the store into a plain struct and written back from it, key by key, for the
// windows that keep their values in the settings file: a key that cannot be read keeps the value
// the struct held, and its message is collected instead of ending the whole reading.
#pragma once

#include "param/param.h"

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zarvo::param {

// One key of a window's table: its name (CP932) and how its value goes into a field of the
// settings struct S and comes out of it.
template <class S> struct SettingKey {
    std::string Name;
    std::function<void(const TParameter&, const std::string&, S&)> Read;
    std::function<void(TParameter&, const std::string&, const S&)> Write;
};

// An integer field; fit(read, held), when given, makes the value taken of the value read (a
// range brought in, or the value held kept).
template <class S>
SettingKey<S> IntegerKey(std::string name, int32_t S::*field, int32_t (*fit)(int32_t, int32_t) = nullptr) {
    return {std::move(name),
            [field, fit](const TParameter& p, const std::string& k, S& s) {
                const int32_t value = p.ReadInteger(k);
                s.*field = fit ? fit(value, s.*field) : value;
            },
            [field](TParameter& p, const std::string& k, const S& s) { p.WriteInteger(k, s.*field); }};
}

template <class S> SettingKey<S> BoolKey(std::string name, bool S::*field) {
    return {std::move(name),
            [field](const TParameter& p, const std::string& k, S& s) { s.*field = p.ReadBool(k); },
            [field](TParameter& p, const std::string& k, const S& s) { p.WriteBool(k, s.*field); }};
}

template <class S> SettingKey<S> StringKey(std::string name, std::string S::*field) {
    return {std::move(name),
            [field](const TParameter& p, const std::string& k, S& s) { s.*field = p.ReadString(k); },
            [field](TParameter& p, const std::string& k, const S& s) { p.WriteString(k, s.*field); }};
}

template <class S> SettingKey<S> FontStyleKey(std::string name, TFontStyles S::*field) {
    return {std::move(name),
            [field](const TParameter& p, const std::string& k, S& s) { s.*field = p.ReadFontStyle(k); },
            [field](TParameter& p, const std::string& k, const S& s) { p.WriteFontStyle(k, s.*field); }};
}

// Runs read; true when it did not throw, else its message is added to messages.
inline bool AttemptRead(const std::function<void()>& read, std::vector<std::string>& messages) {
    try {
        read();
        return true;
    } catch (const std::exception& e) {
        messages.emplace_back(e.what());
        return false;
    }
}

// Reads the keys into settings in their order. A key that is missing or holds a value of the
// wrong form leaves settings as they were; the store's message for it (CP932) is added to
// messages, one per such key.
template <class S>
void ReadKeys(const TParameter& store, const std::vector<SettingKey<S>>& keys, S& settings,
              std::vector<std::string>& messages) {
    for (const SettingKey<S>& key : keys) {
        S read = settings; // a key that fails halfway changes nothing
        if (AttemptRead([&] { key.Read(store, key.Name, read); }, messages))
            settings = std::move(read);
    }
}

// Writes the keys in their order; existing keys keep their lines.
template <class S>
void WriteKeys(TParameter& store, const std::vector<SettingKey<S>>& keys, const S& settings) {
    for (const SettingKey<S>& key : keys)
        key.Write(store, key.Name, settings);
}

// A window's place in a settings struct S (its Left, Top, Width and Height) and the four keys of
// them, in that order.
using BoundKeys = std::array<const char*, 4>;

// The four bounds go together, as a window placed by three of four numbers would be odd: true
// and the bounds of settings set when all four read and the size is at least 1 × 1; otherwise
// they stay, and the messages of the keys that failed are added to messages.
template <class S>
bool ReadBounds(const TParameter& store, const BoundKeys& names, S& settings,
                std::vector<std::string>& messages) {
    int32_t values[4] = {settings.Left, settings.Top, settings.Width, settings.Height};
    bool all = true;
    for (size_t i = 0; i < names.size(); ++i)
        all &= AttemptRead([&] { values[i] = store.ReadInteger(names[i]); }, messages);
    if (!all || values[2] < 1 || values[3] < 1)
        return false;
    settings.Left = values[0];
    settings.Top = values[1];
    settings.Width = values[2];
    settings.Height = values[3];
    return true;
}

template <class S> void WriteBounds(TParameter& store, const BoundKeys& names, const S& settings) {
    const int32_t values[4] = {settings.Left, settings.Top, settings.Width, settings.Height};
    for (size_t i = 0; i < names.size(); ++i)
        store.WriteInteger(names[i], values[i]);
}

} // namespace zarvo::param
