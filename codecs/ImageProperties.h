#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Well-known keys of the property store.
constexpr int32_t kPropertySaveQuality = 500;
constexpr int32_t kPropertyTgaRunLength = 1000;
constexpr int32_t kPropertyFrameDelays = 2000;
constexpr int32_t kPropertyJpegQuality = 0x5010;

// Key-to-text pairs that travel beside a picture, in insertion order; keys
// are unique (setting an existing key replaces its text in place).
class CImageProperties {
public:
    void SetValue(int32_t key, const std::string& text);
    // The text of a key, empty when the key is absent.
    std::string GetValue(int32_t key) const;
    bool HasKey(int32_t key) const;
    void CopyFrom(const CImageProperties& other);

    size_t Count() const { return keys.size(); }
    int32_t KeyAt(size_t i) const { return keys[i]; }
    const std::string& TextAt(size_t i) const { return texts[i]; }

private:
    std::vector<int32_t> keys;
    std::vector<std::string> texts;
};
