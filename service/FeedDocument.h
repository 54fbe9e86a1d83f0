#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include "base/ComRef.h"

// Owns one system string.
class SysString
{
public:
    SysString() = default;
    explicit SysString(const std::wstring& text) : bstr_(SysAllocString(text.c_str())) {}
    ~SysString() { SysFreeString(bstr_); }
    SysString(const SysString&) = delete;
    SysString& operator=(const SysString&) = delete;
    SysString(SysString&& other) noexcept : bstr_(other.bstr_) { other.bstr_ = nullptr; }

    BSTR* Out()
    {
        SysFreeString(bstr_);
        bstr_ = nullptr;
        return &bstr_;
    }
    BSTR Get() const { return bstr_; }
    std::wstring Text() const { return bstr_ ? std::wstring(bstr_, SysStringLen(bstr_)) : std::wstring(); }

private:
    BSTR bstr_ = nullptr;
};

struct FeedAttribute
{
    std::wstring name; // qualified, as written
    std::wstring text;
};

// The child-node list of one element: the lookups of an entry's fields.
class FeedNodes
{
public:
    FeedNodes() = default;
    explicit FeedNodes(ComRef<IXMLDOMNodeList> list) : list_(std::move(list)) {}

    // Text of the first node named `name`; 1168 and "" when there is none.
    DWORD ChildText(const wchar_t* name, std::wstring& out) const;

    // `wanted` attribute of the first `element` node that has an attribute
    // `key` with the text `value`; attribute order does not matter.
    DWORD LinkHref(const wchar_t* element, const wchar_t* key, const wchar_t* value, const wchar_t* wanted,
                   std::wstring& out) const;

    // Every node in order, with its qualified name; stops when `visit`
    // returns false. The node is released after the call.
    void ForEach(const std::function<bool(IXMLDOMNode* node, BSTR name)>& visit) const;

private:
    ComRef<IXMLDOMNodeList> list_;
};

// One reply read as an XML document (MSXML 3 DOMDocument). Elements are found
// by their qualified name as written (prefix included, case-sensitive), in
// document order; namespace URIs play no part.
class FeedDocument
{
public:
    FeedDocument() = default;
    FeedDocument(const FeedDocument&) = delete;
    FeedDocument& operator=(const FeedDocument&) = delete;

    // Creates the parser with external entities, validation and DTDs turned
    // off; false when it is not available or does not take those settings.
    bool Create();

    // Synchronous load of `text`. `elapsedMs` is the time of the parse alone
    // and is set whenever the parser ran. Only S_OK means the text loaded; a
    // text with a document type declaration never loads (S_FALSE, and it is
    // not parsed when the declaration is seen beforehand).
    HRESULT Load(const std::wstring& text, uint32_t& elapsedMs, bool& parsed);
    bool Loaded() const { return loaded_; }
    // Qualified name of the loaded document's root element, or "".
    std::wstring RootName() const;
    // The parser's own document, for reading its settings back.
    IXMLDOMDocument* Get() const { return document_.Get(); }

    // Text of the first element named `tag` anywhere; "" and 0 when there is
    // none, 1168 when nothing is loaded.
    DWORD DocumentText(const wchar_t* tag, std::wstring& out) const;
    // Attribute `attribute` of the first element named `tag`; same results.
    DWORD DocumentAttribute(const wchar_t* tag, const wchar_t* attribute, std::wstring& out) const;

    // Calls `visit` with the child-node list of every "entry" element, in
    // document order; 1168 when nothing is loaded.
    DWORD ForEachEntry(const std::function<void(const FeedNodes& children)>& visit) const;

    // The comparison of qualified names: the user locale's, case-sensitive.
    static bool SameName(BSTR a, BSTR b);
    static std::wstring NodeText(IXMLDOMNode* node);
    static std::vector<FeedAttribute> Attributes(IXMLDOMNode* node);
    static FeedNodes Children(IXMLDOMNode* node);

private:
    // Visits the elements under `parent` in document order until `visit`
    // returns false; false when the walk was stopped.
    static bool Walk(IXMLDOMNode* parent, const std::function<bool(IXMLDOMNode*, BSTR)>& visit);
    bool FirstElement(const wchar_t* tag, ComRef<IXMLDOMNode>& found) const;

    ComRef<IXMLDOMDocument> document_;
    bool loaded_ = false;
};
