#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <msxml2.h>
#include <oleauto.h>

#include "base/ComRef.h"
#include "base/SysString.h"
#include "service/FeedNames.h"
#include "service/FeedNodes.h"

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
    // The same for `text` given also as the UTF-8 bytes it was decoded
    // from, which the parser reads instead of a converted copy. Only for
    // bytes that PlainUtf8 passes: then both ways give the same document.
    HRESULT LoadUtf8(std::wstring_view text, const uint8_t* bytes, size_t length, uint32_t& elapsedMs, bool& parsed);
    // True for bytes that are UTF-8 through and through (no NUL, no byte
    // order mark) and start with "<", where the XML declaration, if any,
    // names UTF-8: the parser reads them as the characters they decode to.
    static bool PlainUtf8(const uint8_t* bytes, size_t length);
    bool Loaded() const { return loaded_; }
    // Start tags of "entry" elements in the loaded text: at least as many as
    // it has entries (room to make for their records).
    size_t EntryTags() const { return entryTags_; }
    // Qualified name of the loaded document's root element, or "".
    std::wstring RootName() const;
    // The parser's own document, for reading its settings back.
    IXMLDOMDocument* Get() const { return document_.Get(); }

    // Text of the first element named `tag` anywhere; "" and 0 when there is
    // none, 1168 when nothing is loaded.
    DWORD DocumentText(const wchar_t* tag, std::wstring& out) const;
    // Attribute `attribute` of the first element named `tag`; same results.
    DWORD DocumentAttribute(const wchar_t* tag, const wchar_t* attribute, std::wstring& out) const;

    // The child nodes of the root element, read once for every lookup
    // (none when nothing is loaded).
    const FeedNodes& RootChildren() const;

    // Calls `visit` with the child nodes of every "entry" element, in
    // document order; 1168 when nothing is loaded.
    DWORD ForEachEntry(const std::function<void(const FeedNodes& children)>& visit) const;
    // The same, with the entry element itself (for its attributes).
    DWORD ForEachEntryNode(const std::function<void(IXMLDOMNode* entry, const FeedNodes& children)>& visit) const;

private:
    struct WalkedNode
    {
        ComRef<IXMLDOMNode> node;
        int name = -1;
        signed char element = -1; // asked when its name first matches
    };

    // After a load: what every load does around the parse itself.
    HRESULT Parse(std::wstring_view text, const std::function<HRESULT(VARIANT_BOOL* success)>& parse,
                  uint32_t& elapsedMs, bool& parsed);
    bool FirstElement(const wchar_t* tag, ComRef<IXMLDOMNode>& found) const;
    // The root's "entry" children, in order; false unless they are all the
    // entries of the document.
    bool EntriesOfTheRoot(std::vector<IXMLDOMNode*>& entries) const;
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
    mutable std::unique_ptr<FeedNodes> rootChildren_;
};
