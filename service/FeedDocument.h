#pragma once
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include "base/ComRef.h"
#include "base/SysString.h"
#include "service/FeedNames.h"

struct FeedAttribute
{
    std::wstring name; // qualified, as written
    std::wstring text;
};

// The child nodes of one element: the lookups of an entry's fields. The
// nodes and their names are read once, in order, and every lookup after that
// goes over what was read.
class FeedNodes
{
public:
    FeedNodes() = default;
    explicit FeedNodes(ComRef<IXMLDOMNodeList> list);
    // The children of `parent`, their names numbered in `names` (a fresh
    // table when none is given).
    explicit FeedNodes(IXMLDOMNode* parent, std::shared_ptr<FeedNames> names = nullptr);
    FeedNodes(FeedNodes&&) noexcept = default;
    FeedNodes& operator=(FeedNodes&&) noexcept = default;

    // Text of the first node named `name`; 1168 and "" when there is none.
    DWORD ChildText(const wchar_t* name, std::wstring& out) const;

    // `wanted` attribute of the first `element` node that has an attribute
    // `key` with the text `value`; attribute order does not matter.
    DWORD LinkHref(const wchar_t* element, const wchar_t* key, const wchar_t* value, const wchar_t* wanted,
                   std::wstring& out) const;

    // Every node in order, with its qualified name; stops when `visit`
    // returns false.
    void ForEach(const std::function<bool(IXMLDOMNode* node, BSTR name)>& visit) const;

    // Every node whose name equals one of `names`, in order, with the index
    // of the first of them that it equals; stops when `visit` returns false.
    void ForEachNamed(std::initializer_list<const wchar_t*> names,
                      const std::function<bool(size_t which, IXMLDOMNode* node)>& visit) const;

    // The children of `node` (one of these nodes), their names compared
    // through the same table as these.
    FeedNodes ChildrenOf(IXMLDOMNode* node) const;

private:
    struct Attribute
    {
        ComRef<IXMLDOMNode> node;
        int name = -1;
        int value = -1; // numbered when first compared
    };
    struct Child
    {
        ComRef<IXMLDOMNode> node;
        SysString name;
        int nameId = -1;
        bool attributesRead = false;
        std::vector<Attribute> attributes;
    };

    void Add(ComRef<IXMLDOMNode> node);
    const std::vector<Attribute>& AttributesOf(Child& child) const;

    // Mutable: attributes are read on the first lookup that needs them.
    mutable std::vector<Child> children_;
    std::shared_ptr<FeedNames> names_;
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
    // The same for a text already held as a system string; E_OUTOFMEMORY
    // when it holds none.
    HRESULT Load(const SysString& source, uint32_t& elapsedMs, bool& parsed);
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

    // Calls `visit` with the child nodes of every "entry" element, in
    // document order; 1168 when nothing is loaded.
    DWORD ForEachEntry(const std::function<void(const FeedNodes& children)>& visit) const;
    // The same, with the entry element itself (for its attributes).
    DWORD ForEachEntryNode(const std::function<void(IXMLDOMNode* entry, const FeedNodes& children)>& visit) const;

    // The comparison of qualified names: the user locale's, case-sensitive.
    static bool SameName(BSTR a, BSTR b);
    static std::wstring NodeText(IXMLDOMNode* node);
    static std::vector<FeedAttribute> Attributes(IXMLDOMNode* node);
    static FeedNodes Children(IXMLDOMNode* node);

private:
    struct WalkedNode
    {
        ComRef<IXMLDOMNode> node;
        int name = -1;
        signed char element = -1; // asked when its name first matches
    };

    bool FirstElement(const wchar_t* tag, ComRef<IXMLDOMNode>& found) const;
    // The root's "entry" children, in order; false unless they are all the
    // entries of the document.
    bool EntriesOfTheRoot(std::vector<ComRef<IXMLDOMNode>>& entries) const;
    // The next node after the last one walked, in document order; false at
    // the end. Text, comment and CDATA nodes are passed over.
    bool WalkOn() const;
    void ForgetWalk();

    ComRef<IXMLDOMDocument> document_;
    bool loaded_ = false;
    // Start tags of "entry" elements in the loaded text (at least as many as
    // there are entries).
    size_t entryTags_ = 0;
    // The names met in the loaded document, shared with its entries' nodes.
    std::shared_ptr<FeedNames> names_;
    // One walk through the document serves all its lookups: the nodes met
    // so far, and the last one with its ancestors, where the walk goes on.
    mutable std::vector<WalkedNode> walked_;
    mutable std::vector<ComRef<IXMLDOMNode>> path_;
    mutable bool walkStarted_ = false;
};
