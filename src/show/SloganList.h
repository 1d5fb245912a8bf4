#pragma once

#include <cstddef>
#include <string>
#include <vector>

class Loader;

// The referee's slogans. "slogans.txt" holds them one after another, each followed by a line
// "---"; text after the last marker is not a slogan. Finnish umlauts (Latin-1) become plain
// vowels because the balloon font has no glyphs for them.
class SloganList {
public:
    // Appends the slogans of "slogans.txt"; a missing or empty file adds nothing.
    void Load(Loader* loader);
    // Appends the slogans of a file's bytes.
    void Parse(const char* text, size_t size);
    void Clear() { m_slogans.clear(); }

    size_t GetCount() const { return m_slogans.size(); }
    bool IsEmpty() const { return m_slogans.empty(); }
    const std::string& Get(size_t index) const { return m_slogans[index]; }
    const std::vector<std::string>& GetAll() const { return m_slogans; }

private:
    std::vector<std::string> m_slogans;
};
