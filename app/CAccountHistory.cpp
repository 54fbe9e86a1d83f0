#include "app/CAccountHistory.h"

#include <windows.h>
#include <io.h>
#include <share.h>

#include <algorithm>
#include <cstdio>
#include <mbstring.h>

CAccountHistory::~CAccountHistory()
{
    m_names.clear();
}

bool CAccountHistory::Less(const std::string& a, const std::string& b)
{
    return _mbscmp(reinterpret_cast<const unsigned char*>(a.c_str()),
                   reinterpret_cast<const unsigned char*>(b.c_str())) < 0;
}

void CAccountHistory::Sort()
{
    std::stable_sort(m_names.begin(), m_names.end(), Less);
}

void CAccountHistory::Load(const std::string& path)
{
    if (path.empty())
        return;
    FILE* file = _fsopen(path.c_str(), "rt", _SH_DENYNO);
    if (!file)
        return;
    m_names.clear();
    std::string line;
    bool tooLong = false;
    auto endLine = [&] {
        if (!line.empty() && !tooLong)
            m_names.push_back(line);
        line.clear();
        tooLong = false;
    };
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c == '\n') {
            endLine();
        } else if (line.size() < kMaxNameBytes) {
            line.push_back(char(c));
        } else {
            tooLong = true;
        }
    }
    endLine();
    std::fclose(file);
    Sort();
}

int CAccountHistory::Find(const std::string& name) const
{
    for (size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i] == name)
            return int(i);
    return -1;
}

size_t CAccountHistory::Add(const std::string& name)
{
    if (Find(name) < 0) {
        m_names.push_back(name);
        Sort();
        m_changed = true;
    }
    return m_names.size();
}

bool CAccountHistory::Save(const std::string& path) const
{
    if (!m_changed || path.empty())
        return true;
    const std::string temporary = path + ".tmp";
    FILE* file = _fsopen(temporary.c_str(), "wt", _SH_DENYWR);
    if (!file)
        return false;
    bool written = true;
    for (const std::string& name : m_names) {
        written = written && std::fputs(name.c_str(), file) >= 0 && std::fputc('\n', file) != EOF;
    }
    // On the disk before it takes the store's place.
    written = std::fflush(file) == 0 && written && _commit(_fileno(file)) == 0;
    written = std::fclose(file) == 0 && written;
    if (written &&
        MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}
