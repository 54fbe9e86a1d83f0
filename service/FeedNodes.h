#pragma once
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

class FeedNodes;

// Names that the children of many elements of one document are searched for
// together (an entry's fields): each distinct name met is compared with them
// once per document, not once per element.
class FeedNameSet
{
public:
    FeedNameSet(std::initializer_list<const wchar_t*> names);
    size_t Size() const { return names_.size(); }

private:
    friend class FeedNodes;
    // The place in the set of a name numbered in `table`, or -1.
    int SlotOf(const std::shared_ptr<FeedNames>& table, int nameId);

    std::vector<const wchar_t*> names_;
    // For the document last searched; held, so that its numbers stay its own.
    std::shared_ptr<FeedNames> table_;
    std::vector<int> ids_;
    std::vector<int> slots_; // per name number: -2 not compared yet
};

// The child nodes of one element: the lookups of an entry's fields. The
// nodes and their names are read once, in order, and every lookup after that
// goes over what was read.
class FeedNodes
{
public:
    // The children of `parent`, their names numbered in `names` (a fresh
    // table when none is given).
    explicit FeedNodes(IXMLDOMNode* parent, std::shared_ptr<FeedNames> names = nullptr);
    FeedNodes(FeedNodes&&) noexcept = default;
    FeedNodes& operator=(FeedNodes&&) noexcept = default;

    // Text of the first node named `name`; 1168 and "" when there is none.
    DWORD ChildText(const wchar_t* name, std::wstring& out) const;

    // `wanted` attribute of the first `element` node that has an attribute
    // `key` with the text `value`; attribute order does not matter. The
    // attributes are found by the parser's own lookup of their qualified
    // name (exact); the key's text is compared as names are.
    DWORD LinkHref(const wchar_t* element, const wchar_t* key, const wchar_t* value, const wchar_t* wanted,
                   std::wstring& out) const;

    // The first node named each of `names`, in one pass: found[i] is that of
    // the i-th name, null when there is none.
    void FirstOfEach(FeedNameSet& names, std::vector<IXMLDOMNode*>& found) const;

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

    // A node's qualified name as written, its text (with its descendants'),
    // and its attributes in order.
    static SysString NodeName(IXMLDOMNode* node);
    static std::wstring NodeText(IXMLDOMNode* node);
    static std::vector<FeedAttribute> Attributes(IXMLDOMNode* node);

private:
    friend class FeedDocument; // reads the root's children by their numbers
    struct Child
    {
        ComRef<IXMLDOMNode> node;
        int nameId = -1;
        // The text of the attribute last looked up by name, numbered: the
        // links of an entry are asked for their rel more than once.
        int keyId = -1;
        int keyValue = -1; // -2: the node has no such attribute
    };

    void Add(ComRef<IXMLDOMNode> node);
    // The text of `child`'s attribute named exactly `name`; false when it has none.
    static bool AttributeText(IXMLDOMNode* node, BSTR name, SysString& text);

    // Mutable: attributes are read on the first lookup that needs them.
    mutable std::vector<Child> children_;
    std::shared_ptr<FeedNames> names_;
};
