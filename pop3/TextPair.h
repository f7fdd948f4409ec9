#pragma once

// Every user-visible text exists as a fixed German and English pair (UTF-8); whoever shows it
// picks one by its language flag.
struct TText {
    const char* German;
    const char* English;
};

inline const char* Pick(const TText& text, bool german) {
    return german ? text.German : text.English;
}
