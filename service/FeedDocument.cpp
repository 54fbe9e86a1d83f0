#include "service/FeedDocument.h"

#include "base/MultimediaTimer.h"
#include "service/FeedDocumentFactory.h"

#include <cstring>
#include <cwchar>
#include <optional>

namespace {

// The interface that carries setProperty, for the second-level settings.
const IID kDomDocument2Interface = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// True when the prolog of `text` (before the first element) holds a document
// type declaration. Feeds never carry one; a declaration is where external
// entities and entity bombs live, and Wine's parser ignores ProhibitDTD.
bool DeclaresDoctype(std::wstring_view text)
{
    size_t i = 0;
    if (!text.empty() && text[0] == 0xFEFF)
        i = 1;
    for (;;) {
        while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\r' || text[i] == L'\n'))
            ++i;
        size_t end = std::wstring_view::npos;
        if (text.compare(i, 2, L"<?") == 0) {
            end = text.find(L"?>", i + 2);
            if (end == std::wstring_view::npos)
                return false;
            i = end + 2;
        } else if (text.compare(i, 4, L"<!--") == 0) {
            end = text.find(L"-->", i + 4);
            if (end == std::wstring_view::npos)
                return false;
            i = end + 3;
        } else {
            return text.size() - i >= 9 && _wcsnicmp(text.data() + i, L"<!DOCTYPE", 9) == 0;
        }
    }
}

// How many times "<entry" stands in `text` as the start of an element named
// exactly "entry". Comments, CDATA sections and processing instructions can
// hold such text too, so this is never less than the number of entries.
size_t EntryTagCount(std::wstring_view text)
{
    // A plain loop: the library's search starts over at every "<".
    static const wchar_t kTag[] = L"<entry";
    const wchar_t* at = text.data();
    const wchar_t* const end = at + text.size();
    size_t count = 0;
    for (; end - at > 6; ++at) {
        if (*at != L'<' || std::wmemcmp(at, kTag, 6) != 0)
            continue;
        const wchar_t next = at[6];
        if (next == L' ' || next == L'\t' || next == L'\r' || next == L'\n' || next == L'>' || next == L'/')
            ++count;
    }
    return count;
}

// The elements with one name under a node, in document order, found with as
// few calls into the parser as can be: on a large feed those calls are most
// of the reading. A node's type is asked only when its name matches (a
// processing instruction's target can look like an element's name), and
// text, comment and CDATA nodes ("#..."), which have no children, are passed
// over.
class ElementSearch
{
public:
    // Called for each such element; false stops the search. The children of
    // the element that it read, if any, are where the search goes on.
    using Found = std::function<bool(IXMLDOMNode* element, std::optional<FeedNodes>& children)>;

    ElementSearch(FeedNames& names, const wchar_t* tag, Found found)
        : names_(names), wanted_(names.Id(tag, wcslen(tag))), found_(std::move(found))
    {
    }

    // False when the search was stopped.
    bool Children(IXMLDOMNode* parent)
    {
        ComRef<IXMLDOMNode> child;
        if (FAILED(parent->get_firstChild(child.Out())))
            return true;
        while (child) {
            SysString name = FeedNodes::NodeName(child.Get());
            if (!Node(child.Get(), name.Get()))
                return false;
            ComRef<IXMLDOMNode> next;
            if (FAILED(child->get_nextSibling(next.Out())))
                break;
            child = std::move(next);
        }
        return true;
    }

private:
    bool Node(IXMLDOMNode* node, BSTR name)
    {
        if (name && name[0] == L'#')
            return true;
        DOMNodeType type = NODE_INVALID;
        if (names_.Same(names_.Id(name), wanted_) && SUCCEEDED(node->get_nodeType(&type)) && type == NODE_ELEMENT) {
            std::optional<FeedNodes> children;
            if (!found_(node, children))
                return false;
            if (children) {
                bool going = true;
                children->ForEach([&](IXMLDOMNode* child, BSTR childName) { return going = Node(child, childName); });
                return going;
            }
        }
        return Children(node);
    }

    FeedNames& names_;
    const int wanted_;
    Found found_;
};

} // namespace

bool FeedDocument::Create()
{
    loaded_ = false;
    ForgetWalk();
    if (FAILED(FeedDocumentFactory::CreateDocument(document_)) || !document_) {
        document_.Reset();
        return false;
    }
    // MSXML 3 fetches external entities and expands DTDs by default: a reply
    // could pull local files into album titles or make requests elsewhere.
    // A parser that cannot be told otherwise is not used.
    if (FAILED(document_->put_resolveExternals(VARIANT_FALSE)) ||
        FAILED(document_->put_validateOnParse(VARIANT_FALSE))) {
        document_.Reset();
        return false;
    }
    // Older MSXML 3 builds lack ProhibitDTD; Load refuses a DTD itself.
    ComRef<IXMLDOMDocument2> settings;
    if (SUCCEEDED(document_->QueryInterface(kDomDocument2Interface, reinterpret_cast<void**>(settings.Out()))) &&
        settings) {
        VARIANT prohibit;
        VariantInit(&prohibit);
        prohibit.vt = VT_BOOL;
        prohibit.boolVal = VARIANT_TRUE;
        SysString name(L"ProhibitDTD");
        settings->setProperty(name.Get(), prohibit);
    }
    return true;
}

HRESULT FeedDocument::Load(const std::wstring& text, uint32_t& elapsedMs, bool& parsed)
{
    // Up to the first NUL, as SysAllocString takes it; a string that could
    // not be made is the other Load's out-of-memory case.
    SysString source;
    source.Assign(std::wstring_view(text.c_str()));
    return Load(source, elapsedMs, parsed);
}

HRESULT FeedDocument::Load(const SysString& source, uint32_t& elapsedMs, bool& parsed)
{
    if (document_ && !source.Get()) {
        loaded_ = false;
        ForgetWalk();
        parsed = false;
        elapsedMs = 0;
        return E_OUTOFMEMORY;
    }
    return Parse(source.View(), [&](VARIANT_BOOL* success) { return document_->loadXML(source.Get(), success); },
                 elapsedMs, parsed);
}

HRESULT FeedDocument::LoadUtf8(std::wstring_view text, const uint8_t* bytes, size_t length, uint32_t& elapsedMs,
                               bool& parsed)
{
    // The parser is handed the reply's own bytes, without a copy: the array
    // only describes them (FADF_AUTO: destroying it leaves them alone).
    SAFEARRAY* array = nullptr;
    if (document_ && (!bytes || length > 0x7FFFFFF0u || FAILED(SafeArrayAllocDescriptor(1, &array)))) {
        loaded_ = false;
        ForgetWalk();
        parsed = false;
        elapsedMs = 0;
        return E_OUTOFMEMORY;
    }
    if (array) {
        array->fFeatures = FADF_AUTO | FADF_FIXEDSIZE;
        array->cbElements = 1;
        array->pvData = const_cast<uint8_t*>(bytes);
        array->rgsabound[0].cElements = ULONG(length);
        array->rgsabound[0].lLbound = 0;
    }
    const HRESULT hr = Parse(text, [&](VARIANT_BOOL* success) {
        VARIANT source;
        VariantInit(&source);
        source.vt = VT_ARRAY | VT_UI1;
        source.parray = array;
        return document_->load(source, success);
    }, elapsedMs, parsed);
    if (array)
        SafeArrayDestroyDescriptor(array);
    return hr;
}

bool FeedDocument::PlainUtf8(const uint8_t* bytes, size_t length)
{
    if (!bytes || length == 0 || bytes[0] != '<')
        return false;
    // Every sequence well-formed: no overlong form, no surrogate, nothing
    // above U+10FFFF, and no NUL.
    const uint8_t* at = bytes;
    const uint8_t* const end = bytes + length;
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    while (at < end) {
        // Eight bytes at a time while they are ASCII without a NUL: a feed
        // is mostly markup.
        if (end - at >= 8) {
            uint64_t word;
            std::memcpy(&word, at, 8);
            if ((word & kHighBits) == 0 && ((word - kOnes) & ~word & kHighBits) == 0) {
                at += 8;
                continue;
            }
        }
        const uint8_t lead = *at;
        if (lead >= 0x01 && lead < 0x80) {
            ++at;
            continue;
        }
        size_t size = 0;
        uint8_t low = 0x80, high = 0xBF; // the second byte's range
        if (lead >= 0xC2 && lead <= 0xDF) {
            size = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            size = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            size = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false; // NUL, a continuation byte or a lead never used
        }
        if (size_t(end - at) < size || at[1] < low || at[1] > high)
            return false;
        for (size_t i = 2; i < size; ++i)
            if (at[i] < 0x80 || at[i] > 0xBF)
                return false;
        at += size;
    }
    // The declaration's encoding, when it names one, must be UTF-8: the
    // parser reads the bytes in that, where the text was decoded as UTF-8.
    const std::string_view text(reinterpret_cast<const char*>(bytes), length);
    if (text.compare(0, 5, "<?xml") != 0 || text.size() < 6 ||
        (text[5] != ' ' && text[5] != '\t' && text[5] != '\r' && text[5] != '\n'))
        return true;
    const size_t close = text.find("?>");
    if (close == std::string_view::npos)
        return true; // not a declaration the parser takes: it fails either way
    const std::string_view declaration = text.substr(0, close);
    const size_t name = declaration.find("encoding");
    if (name == std::string_view::npos)
        return true;
    size_t i = name + 8;
    auto blanks = [&] {
        while (i < declaration.size() &&
               (declaration[i] == ' ' || declaration[i] == '\t' || declaration[i] == '\r' || declaration[i] == '\n'))
            ++i;
    };
    blanks();
    if (i >= declaration.size() || declaration[i] != '=')
        return false;
    ++i;
    blanks();
    if (i >= declaration.size() || (declaration[i] != '\'' && declaration[i] != '"'))
        return false;
    const char quote = declaration[i++];
    const size_t last = declaration.find(quote, i);
    if (last == std::string_view::npos)
        return false;
    return last - i == 5 && _strnicmp(declaration.data() + i, "utf-8", 5) == 0;
}

HRESULT FeedDocument::Parse(std::wstring_view text, const std::function<HRESULT(VARIANT_BOOL*)>& parse,
                            uint32_t& elapsedMs, bool& parsed)
{
    loaded_ = false;
    ForgetWalk();
    parsed = false;
    elapsedMs = 0;
    if (!document_)
        return E_POINTER;
    if (DeclaresDoctype(text))
        return S_FALSE; // never handed to the parser
    document_->put_async(VARIANT_FALSE);
    VARIANT_BOOL success = VARIANT_FALSE;
    const DWORD start = MultimediaTime();
    const HRESULT hr = parse(&success);
    elapsedMs = MultimediaTime() - start;
    parsed = true;
    ComRef<IXMLDOMDocumentType> doctype;
    if (hr == S_OK && SUCCEEDED(document_->get_doctype(doctype.Out())) && doctype)
        return S_FALSE; // one the scan above did not see
    loaded_ = hr == S_OK;
    entryTags_ = loaded_ ? EntryTagCount(text) : 0;
    names_ = std::make_shared<FeedNames>();
    ForgetWalk();
    return hr;
}

std::wstring FeedDocument::RootName() const
{
    ComRef<IXMLDOMElement> root;
    if (!loaded_ || FAILED(document_->get_documentElement(root.Out())) || !root)
        return L"";
    SysString name;
    root->get_nodeName(name.Out());
    return name.Text();
}

void FeedDocument::ForgetWalk()
{
    walked_.clear();
    path_.clear();
    walkStarted_ = false;
    rootChildren_.reset();
}

bool FeedDocument::WalkOn() const
{
    ComRef<IXMLDOMNode> next;
    if (!walkStarted_) {
        walkStarted_ = true;
        if (FAILED(document_->get_firstChild(next.Out())))
            next.Reset();
    } else if (!path_.empty()) {
        // Into the last node's children first (it has none when it was
        // passed over), then on to the next sibling of it or of the nearest
        // ancestor that has one.
        if (!walked_.empty() && walked_.back().node.Get() == path_.back().Get() &&
            FAILED(path_.back()->get_firstChild(next.Out())))
            next.Reset();
        while (!next && !path_.empty()) {
            if (FAILED(path_.back()->get_nextSibling(next.Out())))
                next.Reset();
            path_.pop_back();
        }
    }
    if (!next)
        return false;
    SysString name = FeedNodes::NodeName(next.Get());
    IXMLDOMNode* node = next.Get();
    path_.push_back(std::move(next));
    if (name.Get() && name.Get()[0] == L'#')
        return true; // text, comment or CDATA: nothing to find in it or under it
    walked_.push_back(WalkedNode{ComRef<IXMLDOMNode>::Share(node), names_->Id(name.Get())});
    return true;
}

bool FeedDocument::FirstElement(const wchar_t* tag, ComRef<IXMLDOMNode>& found) const
{
    const int wanted = names_->Id(tag, wcslen(tag));
    for (size_t i = 0;; ++i) {
        while (i >= walked_.size()) {
            if (!WalkOn())
                return false;
        }
        WalkedNode& walked = walked_[i];
        if (!names_->Same(walked.name, wanted))
            continue;
        if (walked.element < 0) {
            // A processing instruction's target can look like an element's name.
            DOMNodeType type = NODE_INVALID;
            walked.element = SUCCEEDED(walked.node->get_nodeType(&type)) && type == NODE_ELEMENT ? 1 : 0;
        }
        if (walked.element == 1) {
            found = ComRef<IXMLDOMNode>::Share(walked.node.Get());
            return true;
        }
    }
}

DWORD FeedDocument::DocumentText(const wchar_t* tag, std::wstring& out) const
{
    out.clear();
    if (!loaded_)
        return ERROR_NOT_FOUND;
    ComRef<IXMLDOMNode> element;
    if (FirstElement(tag, element))
        out = FeedNodes::NodeText(element.Get());
    return ERROR_SUCCESS;
}

DWORD FeedDocument::DocumentAttribute(const wchar_t* tag, const wchar_t* attribute, std::wstring& out) const
{
    out.clear();
    if (!loaded_)
        return ERROR_NOT_FOUND;
    ComRef<IXMLDOMNode> element;
    if (!FirstElement(tag, element))
        return ERROR_SUCCESS;
    const SysString wanted(attribute);
    for (const FeedAttribute& candidate : FeedNodes::Attributes(element.Get())) {
        if (FeedNames::SameText(SysString(candidate.name).Get(), wanted.Get())) {
            out = candidate.text;
            break;
        }
    }
    return ERROR_SUCCESS;
}

const FeedNodes& FeedDocument::RootChildren() const
{
    if (!rootChildren_) {
        ComRef<IXMLDOMElement> root;
        if (!loaded_ || !names_ || FAILED(document_->get_documentElement(root.Out())) || !root)
            root.Reset();
        rootChildren_ = std::make_unique<FeedNodes>(root.Get(), names_);
    }
    return *rootChildren_;
}

bool FeedDocument::EntriesOfTheRoot(std::vector<IXMLDOMNode*>& entries) const
{
    ComRef<IXMLDOMElement> root;
    if (FAILED(document_->get_documentElement(root.Out())) || !root)
        return false;
    const int entry = names_->Id(L"entry", 5);
    if (names_->Same(names_->Id(FeedNodes::NodeName(root.Get()).Get()), entry))
        return false;
    for (const FeedNodes::Child& child : RootChildren().children_) {
        const BSTR name = names_->Text(child.nameId);
        DOMNodeType type = NODE_INVALID;
        if (name && name[0] != L'#' && names_->Same(child.nameId, entry) &&
            SUCCEEDED(child.node->get_nodeType(&type)) && type == NODE_ELEMENT) {
            // One whose name only compares equal to "entry" may hold more.
            if (wcscmp(name, L"entry") != 0)
                return false;
            entries.push_back(child.node.Get());
        }
    }
    return entries.size() == entryTags_;
}

DWORD FeedDocument::ForEachEntry(const std::function<void(const FeedNodes&)>& visit) const
{
    return ForEachEntryNode([&](IXMLDOMNode*, const FeedNodes& children) { visit(children); });
}

DWORD FeedDocument::ForEachEntryNode(const std::function<void(IXMLDOMNode*, const FeedNodes&)>& visit) const
{
    if (!loaded_)
        return ERROR_NOT_FOUND;
    // A feed holds its entries as children of its root. When every "<entry"
    // of the text is one of those, there is no other entry to look for
    // inside them, and searching the whole tree would visit every node.
    std::vector<IXMLDOMNode*> entries; // held by the root's children
    entries.reserve(entryTags_);
    if (EntriesOfTheRoot(entries)) {
        for (IXMLDOMNode* node : entries)
            visit(node, FeedNodes(node, names_));
        return ERROR_SUCCESS;
    }
    ElementSearch search(*names_, L"entry", [&](IXMLDOMNode* node, std::optional<FeedNodes>& children) {
        children.emplace(node, names_);
        visit(node, *children);
        return true;
    });
    search.Children(document_.Get());
    return ERROR_SUCCESS;
}
