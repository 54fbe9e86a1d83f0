#include "app/CAccountHistory.h"

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

void CAccountHistory::Save(const std::string& path) const
{
    if (!m_changed || path.empty())
        return;
    FILE* file = _fsopen(path.c_str(), "wt", _SH_DENYNO);
    if (!file)
        return;
    for (const std::string& name : m_names) {
        std::fputs(name.c_str(), file);
        std::fputc('\n', file);
        std::fflush(file);
    }
    std::fclose(file);
}
