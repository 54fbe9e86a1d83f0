#include "http/CPatternSearch.h"

#include <cwctype>
#include <functional>
#include <new>
#include <utility>

namespace {

enum class Op { Empty, Char, Any, Set, Seq, Alt, Group, Repeat, Not, BackRef, Begin, End };

struct Node
{
    Op op = Op::Empty;
    wchar_t ch = 0;
    bool negated = false;
    std::vector<std::pair<wchar_t, wchar_t>> ranges;
    std::vector<int> kids;
    int group = 0;       // Group: its number; BackRef: the group referred to
    int min = 0, max = 0; // Repeat; max < 0 means no limit
    bool greedy = true;
};

struct Abbreviation
{
    wchar_t letter;
    const wchar_t* pattern;
};

const Abbreviation kAbbreviations[] = {
    {L'a', L"([a-zA-Z0-9])"},
    {L'b', L"([ \t])"},
    {L'c', L"([a-zA-Z])"},
    {L'd', L"([0-9])"},
    {L'h', L"([0-9a-fA-F])"},
    {L'n', L"(\r|(\r?\n))"},
    {L'q', L"(\"[^\"]*\")|('[^']*')"},
    {L'w', L"([a-zA-Z]+)"},
    {L'z', L"([0-9]+)"},
};

} // namespace

struct CPatternSearch::Program
{
    std::vector<Node> nodes;
    int root = -1;
    int groups = 0;
    bool anchored = false;
    // The character every match must begin with, when the pattern says so:
    // lets the search skip straight to the places worth trying.
    wchar_t firstChar = 0;
    bool hasFirstChar = false;

    void FindFirstChar()
    {
        int id = root;
        while (id >= 0) {
            const Node& n = nodes[id];
            if (n.op == Op::Char) {
                firstChar = n.ch;
                hasFirstChar = true;
                return;
            }
            if ((n.op == Op::Group || n.op == Op::Seq) && !n.kids.empty())
                id = n.kids[0];
            else if (n.op == Op::Repeat && n.min > 0)
                id = n.kids[0];
            else
                return;
        }
    }

    int Add(Node n)
    {
        nodes.push_back(std::move(n));
        return int(nodes.size()) - 1;
    }

    bool Nullable(int id) const
    {
        const Node& n = nodes[id];
        switch (n.op) {
        case Op::Char: case Op::Any: case Op::Set:
            return false;
        case Op::Seq:
            for (int k : n.kids)
                if (!Nullable(k))
                    return false;
            return true;
        case Op::Alt:
            for (int k : n.kids)
                if (Nullable(k))
                    return true;
            return false;
        case Op::Group:
            return Nullable(n.kids[0]);
        case Op::Repeat:
            return n.min == 0 || Nullable(n.kids[0]);
        default: // empty, negation, anchors, back-references
            return true;
        }
    }
};

namespace {

class Parser
{
public:
    Parser(const std::wstring& pattern, CPatternSearch::Program& program, int& groupsOpened)
        : p_(pattern), prog_(program), groups_(groupsOpened) {}

    int ParseAll(int& root)
    {
        if (p_.empty())
            return CPatternSearch::kNoPattern;
        root = Alternation();
        if (error_ == 0 && i_ < p_.size())
            error_ = CPatternSearch::kNoPattern;
        return error_;
    }

private:
    bool AtEnd() const { return i_ >= p_.size(); }

    bool Terminator() const
    {
        const wchar_t c = p_[i_];
        return c == L'|' || (c == L')' && parens_ > 0) || (c == L'}' && braces_ > 0);
    }

    int Alternation()
    {
        Node alt;
        alt.op = Op::Alt;
        alt.kids.push_back(Sequence());
        while (error_ == 0 && !AtEnd() && p_[i_] == L'|') {
            ++i_;
            alt.kids.push_back(Sequence());
        }
        if (alt.kids.size() == 1)
            return alt.kids[0];
        return prog_.Add(std::move(alt));
    }

    int Sequence()
    {
        Node seq;
        seq.op = Op::Seq;
        while (error_ == 0 && !AtEnd() && !Terminator())
            seq.kids.push_back(Item());
        if (seq.kids.size() == 1)
            return seq.kids[0];
        return prog_.Add(std::move(seq));
    }

    static bool IsQuantifier(wchar_t c) { return c == L'*' || c == L'+' || c == L'?'; }

    int Item()
    {
        if (IsQuantifier(p_[i_])) {
            error_ = CPatternSearch::kNoPattern; // nothing to repeat
            return -1;
        }
        int atom = Atom();
        while (error_ == 0 && !AtEnd() && IsQuantifier(p_[i_])) {
            const wchar_t q = p_[i_++];
            Node rep;
            rep.op = Op::Repeat;
            rep.kids.push_back(atom);
            rep.min = q == L'+' ? 1 : 0;
            rep.max = q == L'?' ? 1 : -1;
            if (!AtEnd() && p_[i_] == L'?') {
                rep.greedy = false;
                ++i_;
            }
            if (q != L'?' && prog_.Nullable(atom)) {
                error_ = CPatternSearch::kEmptyRepeat;
                return -1;
            }
            atom = prog_.Add(std::move(rep));
        }
        return atom;
    }

    int Literal(wchar_t c)
    {
        Node n;
        n.op = Op::Char;
        n.ch = c;
        return prog_.Add(std::move(n));
    }

    int Atom()
    {
        const size_t at = i_;
        const wchar_t c = p_[i_++];
        switch (c) {
        case L'.': {
            Node n;
            n.op = Op::Any;
            return prog_.Add(std::move(n));
        }
        case L'[':
            return Set();
        case L'{': {
            Node g;
            g.op = Op::Group;
            g.group = groups_++;
            ++braces_;
            const int inner = Alternation();
            --braces_;
            if (error_)
                return -1;
            if (AtEnd() || p_[i_] != L'}') {
                error_ = CPatternSearch::kBraceExpected;
                return -1;
            }
            ++i_;
            g.kids.push_back(inner);
            return prog_.Add(std::move(g));
        }
        case L'(': {
            ++parens_;
            const int inner = Alternation();
            --parens_;
            if (error_)
                return -1;
            if (AtEnd() || p_[i_] != L')') {
                error_ = CPatternSearch::kParenExpected;
                return -1;
            }
            ++i_;
            // Keep the parentheses as a node of their own so that a quantifier
            // after them applies to the whole contents.
            Node seq;
            seq.op = Op::Seq;
            seq.kids.push_back(inner);
            return prog_.Add(std::move(seq));
        }
        case L'!': {
            if (AtEnd() || Terminator()) {
                error_ = CPatternSearch::kNoPattern;
                return -1;
            }
            const int inner = Item();
            if (error_)
                return -1;
            Node n;
            n.op = Op::Not;
            n.kids.push_back(inner);
            return prog_.Add(std::move(n));
        }
        case L'^':
            if (at == 0) {
                Node n;
                n.op = Op::Begin;
                return prog_.Add(std::move(n));
            }
            return Literal(c);
        case L'$':
            if (at == p_.size() - 1) {
                Node n;
                n.op = Op::End;
                return prog_.Add(std::move(n));
            }
            return Literal(c);
        case L'\\':
            return Escape();
        default:
            return Literal(c);
        }
    }

    int Escape()
    {
        if (AtEnd())
            return Literal(L'\\');
        const wchar_t c = p_[i_++];
        if (c >= L'0' && c <= L'9') {
            const int group = c - L'0';
            if (group >= groups_) {
                error_ = CPatternSearch::kUnknownGroup;
                return -1;
            }
            Node n;
            n.op = Op::BackRef;
            n.group = group;
            return prog_.Add(std::move(n));
        }
        for (const Abbreviation& a : kAbbreviations) {
            if (a.letter != c)
                continue;
            int noGroups = 0;
            int root = -1;
            const std::wstring expansion = a.pattern;
            Parser sub(expansion, prog_, noGroups);
            if (sub.ParseAll(root) != 0) {
                error_ = CPatternSearch::kBadAbbreviation;
                return -1;
            }
            return root;
        }
        return Literal(c);
    }

    int Set()
    {
        Node n;
        n.op = Op::Set;
        if (!AtEnd() && p_[i_] == L'^') {
            n.negated = true;
            ++i_;
        }
        for (;;) {
            if (AtEnd()) {
                error_ = CPatternSearch::kBracketExpected;
                return -1;
            }
            wchar_t c = p_[i_++];
            if (c == L']')
                break;
            if (c == L'\\') {
                if (AtEnd()) {
                    error_ = CPatternSearch::kBracketExpected;
                    return -1;
                }
                c = p_[i_++];
                if (c == L't')
                    c = L'\t';
            }
            wchar_t last = c;
            if (!AtEnd() && p_[i_] == L'-') {
                ++i_;
                if (AtEnd() || p_[i_] == L']') { // a range without its end
                    error_ = CPatternSearch::kBracketExpected;
                    return -1;
                }
                last = p_[i_++]; // the end of a range is taken as written, unescaped
                if (last < c) {
                    error_ = CPatternSearch::kBadRange;
                    return -1;
                }
            }
            n.ranges.emplace_back(c, last);
        }
        if (n.ranges.empty()) {
            error_ = CPatternSearch::kEmptySet;
            return -1;
        }
        return prog_.Add(std::move(n));
    }

    const std::wstring& p_;
    CPatternSearch::Program& prog_;
    int& groups_;
    size_t i_ = 0;
    int parens_ = 0;
    int braces_ = 0;
    int error_ = 0;
};

using Cont = std::function<bool(size_t)>;

// The C library's lower-casing, with plain ASCII letters done directly
// (the library call per character dominates on large bodies).
wchar_t LowerCase(wchar_t c)
{
    if (c < 0x80)
        return (c >= L'A' && c <= L'Z') ? wchar_t(c + 32) : c;
    return wchar_t(towlower(c));
}

class Matcher
{
public:
    Matcher(const CPatternSearch::Program& program, const std::wstring& text, size_t searchStart,
            std::vector<CPatternSearch::Group>& groups)
        : prog_(program), text_(text), searchStart_(searchStart), groups_(groups) {}

    bool Match(int id, size_t pos, const Cont& k)
    {
        const Node& n = prog_.nodes[id];
        switch (n.op) {
        case Op::Empty:
            return k(pos);
        case Op::Char: case Op::Any: case Op::Set:
            return pos < text_.size() && Single(n, text_[pos]) && k(pos + 1);
        case Op::Seq:
            return Sequence(n, 0, pos, k);
        case Op::Alt:
            for (int kid : n.kids)
                if (Match(kid, pos, k))
                    return true;
            return false;
        case Op::Group: {
            const CPatternSearch::Group saved = groups_[n.group];
            if (Match(n.kids[0], pos, [&](size_t end) {
                    const CPatternSearch::Group inner = groups_[n.group];
                    groups_[n.group] = {pos, end};
                    if (k(end))
                        return true;
                    groups_[n.group] = inner;
                    return false;
                }))
                return true;
            groups_[n.group] = saved;
            return false;
        }
        case Op::Repeat:
            return Repeat(n, 0, pos, k);
        case Op::Not: {
            const std::vector<CPatternSearch::Group> saved = groups_;
            const bool matched = Match(n.kids[0], pos, [](size_t) { return true; });
            groups_ = saved;
            return !matched && k(pos);
        }
        case Op::BackRef: {
            const CPatternSearch::Group& g = groups_[n.group];
            if (!g.Took())
                return false;
            const size_t len = g.end - g.start;
            if (text_.size() - pos < len || text_.compare(pos, len, text_, g.start, len) != 0)
                return false;
            return k(pos + len);
        }
        case Op::Begin:
            return pos == searchStart_ && k(pos);
        case Op::End:
            return pos == text_.size() && k(pos);
        }
        return false;
    }

private:
    static bool IsSingle(const Node& n) { return n.op == Op::Char || n.op == Op::Any || n.op == Op::Set; }

    static bool Single(const Node& n, wchar_t c)
    {
        switch (n.op) {
        case Op::Char:
            return c == n.ch;
        case Op::Any:
            return true;
        case Op::Set: {
            bool in = false;
            for (const auto& r : n.ranges)
                if (c >= r.first && c <= r.second) {
                    in = true;
                    break;
                }
            return in != n.negated;
        }
        default:
            return false;
        }
    }

    bool Sequence(const Node& n, size_t idx, size_t pos, const Cont& k)
    {
        // Plain characters are matched in a loop; only the other items need
        // a continuation for backtracking.
        while (idx < n.kids.size() && IsSingle(prog_.nodes[n.kids[idx]])) {
            if (pos >= text_.size() || !Single(prog_.nodes[n.kids[idx]], text_[pos]))
                return false;
            ++idx;
            ++pos;
        }
        if (idx == n.kids.size())
            return k(pos);
        return Match(n.kids[idx], pos, [&](size_t next) { return Sequence(n, idx + 1, next, k); });
    }

    bool Repeat(const Node& n, int count, size_t pos, const Cont& k)
    {
        const Node& kid = prog_.nodes[n.kids[0]];
        if (IsSingle(kid)) {
            size_t run = 0;
            const size_t limit = n.max < 0 ? text_.size() - pos : size_t(n.max);
            while (run < limit && pos + run < text_.size() && Single(kid, text_[pos + run]))
                ++run;
            if (run < size_t(n.min))
                return false;
            if (n.greedy) {
                for (size_t c = run + 1; c-- > size_t(n.min);)
                    if (k(pos + c))
                        return true;
            } else {
                for (size_t c = n.min; c <= run; ++c)
                    if (k(pos + c))
                        return true;
            }
            return false;
        }
        const bool mayStop = count >= n.min;
        const bool mayGo = n.max < 0 || count < n.max;
        auto again = [&](size_t next) {
            if (next == pos && mayStop)
                return false; // an empty round changes nothing
            return Repeat(n, count + 1, next, k);
        };
        if (n.greedy) {
            if (mayGo && Match(n.kids[0], pos, again))
                return true;
            return mayStop && k(pos);
        }
        if (mayStop && k(pos))
            return true;
        return mayGo && Match(n.kids[0], pos, again);
    }

    const CPatternSearch::Program& prog_;
    const std::wstring& text_;
    size_t searchStart_;
    std::vector<CPatternSearch::Group>& groups_;
};

} // namespace

CPatternSearch::CPatternSearch() = default;

CPatternSearch::~CPatternSearch()
{
    delete program_;
}

int CPatternSearch::Parse(const std::wstring& pattern, bool caseSensitive)
{
    delete program_;
    program_ = nullptr;
    caseSensitive_ = caseSensitive;
    try {
        std::wstring source = pattern;
        if (!caseSensitive)
            for (wchar_t& c : source)
                c = LowerCase(c);
        auto* program = new Program;
        int groups = 0;
        Parser parser(source, *program, groups);
        const int error = parser.ParseAll(program->root);
        if (error) {
            delete program;
            return error;
        }
        program->groups = groups;
        program->anchored = !source.empty() && source[0] == L'^';
        program->FindFirstChar();
        program_ = program;
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
}

int CPatternSearch::GroupCount() const
{
    return program_ ? program_->groups : 0;
}

bool CPatternSearch::Search(const std::wstring& text, size_t from, size_t searchStart,
                            std::vector<Group>& groups, size_t& matchStart, size_t& matchEnd) const
{
    if (!program_)
        return false;
    for (size_t s = from; s <= text.size(); ++s) {
        if (program_->anchored && s != searchStart)
            break;
        if (program_->hasFirstChar) {
            s = text.find(program_->firstChar, s);
            if (s == std::wstring::npos)
                break;
        }
        groups.assign(size_t(program_->groups), Group{});
        Matcher matcher(*program_, text, searchStart, groups);
        size_t end = npos;
        if (matcher.Match(program_->root, s, [&](size_t e) {
                end = e;
                return true;
            })) {
            matchStart = s;
            matchEnd = end;
            return true;
        }
    }
    return false;
}

bool FindAll(const std::wstring& pattern, bool caseSensitive, int groupCount,
             const std::wstring& text, std::vector<std::wstring>& results, bool allowDuplicates)
{
    results.clear();
    if (pattern.empty() || groupCount <= 0 || text.empty())
        return false;
    CPatternSearch search;
    if (search.Parse(pattern, caseSensitive) != CPatternSearch::kOk)
        return false;
    try {
        std::wstring lowered;
        const std::wstring* subject = &text;
        if (!caseSensitive) {
            lowered = text;
            for (wchar_t& c : lowered)
                c = LowerCase(c);
            subject = &lowered;
        }
        std::vector<CPatternSearch::Group> groups;
        std::vector<std::wstring> found;
        size_t pos = 0;
        while (pos < text.size()) {
            size_t start = 0, end = 0;
            if (!search.Search(*subject, pos, pos, groups, start, end))
                break;
            found.clear();
            for (int g = 0; g < groupCount; ++g) {
                if (size_t(g) >= groups.size() || !groups[g].Took())
                    break;
                found.push_back(text.substr(groups[g].start, groups[g].end - groups[g].start));
            }
            bool duplicate = false;
            if (!allowDuplicates && !found.empty()) {
                const size_t block = found.size();
                for (size_t b = 0; !duplicate && b + block <= results.size(); b += block) {
                    bool equal = true;
                    for (size_t j = 0; equal && j < block; ++j)
                        equal = caseSensitive ? results[b + j] == found[j]
                                              : _wcsicmp(results[b + j].c_str(), found[j].c_str()) == 0;
                    duplicate = equal;
                }
            }
            if (!duplicate)
                results.insert(results.end(), found.begin(), found.end());
            // A match of the empty text would find itself again: move on.
            pos = end > start ? end : start + 1;
        }
    } catch (const std::bad_alloc&) {
        results.clear();
        return false;
    }
    return true;
}
