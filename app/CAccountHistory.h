#pragma once
#include <string>
#include <vector>

// The account names signed in with before (quillon.dat): narrow text in the
// user's code page, one name per line, kept sorted with the C library's
// multibyte comparison (case counts; "Bob" < "alice" < "alicea").
class CAccountHistory
{
public:
    // Longest name in bytes; the login dialog's account box cannot give more.
    static constexpr size_t kMaxNameBytes = 99;

    CAccountHistory() = default;
    virtual ~CAccountHistory();

    // Replaces the list with the file's non-empty lines, sorted; duplicates
    // stay. A missing or unreadable file changes nothing. A line longer than
    // kMaxNameBytes cannot come from the program: it is skipped whole rather
    // than cut, so no half name (or half multibyte character) is offered,
    // and it disappears at the next save.
    void Load(const std::string& path);

    // Index of the first name equal to name, or -1.
    int Find(const std::string& name) const;

    // Adds a name that is not in the list yet; returns the number of names.
    size_t Add(const std::string& name);

    // Writes every name, one per line, when Add changed the list since it was
    // made. The names go to "<path>.tmp" beside the store, which then
    // replaces it in one step, so a full disk or a crash never leaves a
    // half-written store. False when the store could not be written; the
    // file is then as it was.
    bool Save(const std::string& path) const;

    size_t Count() const { return m_names.size(); }
    const std::string& Name(size_t index) const { return m_names[index]; }
    bool Changed() const { return m_changed; }

    // The order of the list: true when a sorts before b.
    static bool Less(const std::string& a, const std::string& b);

private:
    void Sort();

    std::vector<std::string> m_names;
    bool m_changed = false;
};
