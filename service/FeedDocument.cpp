#include "service/FeedDocument.h"

#include <mmsystem.h>

namespace {

// The version-independent DOMDocument class of MSXML 3.0 and IXMLDOMDocument.
const CLSID kDomDocumentClass = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
const IID kDomDocumentInterface = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// The interface that carries setProperty, for the second-level settings.
const IID kDomDocument2Interface = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// True when the prolog of `text` (before the first element) holds a document
// type declaration. Feeds never carry one; a declaration is where external
// entities and entity bombs live, and Wine's parser ignores ProhibitDTD.
bool DeclaresDoctype(const std::wstring& text)
{
    size_t i = 0;
    if (!text.empty() && text[0] == 0xFEFF)
        i = 1;
    for (;;) {
        while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\r' || text[i] == L'\n'))
            ++i;
        size_t end = std::wstring::npos;
        if (text.compare(i, 2, L"<?") == 0) {
            end = text.find(L"?>", i + 2);
            if (end == std::wstring::npos)
                return false;
            i = end + 2;
        } else if (text.compare(i, 4, L"<!--") == 0) {
            end = text.find(L"-->", i + 4);
            if (end == std::wstring::npos)
                return false;
            i = end + 3;
        } else {
            return _wcsnicmp(text.c_str() + i, L"<!DOCTYPE", 9) == 0;
        }
    }
}

SysString NodeName(IXMLDOMNode* node)
{
    SysString name;
    node->get_nodeName(name.Out());
    return name;
}

// Text of the first attribute of `node` named `name`; false when none.
bool AttributeText(IXMLDOMNamedNodeMap* attributes, BSTR name, std::wstring& out)
{
    long count = 0;
    if (FAILED(attributes->get_length(&count)))
        return false;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> attribute;
        if (FAILED(attributes->get_item(i, attribute.Out())) || !attribute)
            continue;
        if (FeedDocument::SameName(NodeName(attribute.Get()).Get(), name)) {
            out = FeedDocument::NodeText(attribute.Get());
            return true;
        }
    }
    return false;
}

} // namespace

bool FeedDocument::SameName(BSTR a, BSTR b)
{
    return VarBstrCmp(a, b, LOCALE_USER_DEFAULT, 0) == HRESULT(VARCMP_EQ);
}

std::wstring FeedDocument::NodeText(IXMLDOMNode* node)
{
    SysString text;
    if (FAILED(node->get_text(text.Out())))
        return L"";
    return text.Text();
}

std::vector<FeedAttribute> FeedDocument::Attributes(IXMLDOMNode* node)
{
    std::vector<FeedAttribute> result;
    ComRef<IXMLDOMNamedNodeMap> attributes;
    if (FAILED(node->get_attributes(attributes.Out())) || !attributes)
        return result;
    long count = 0;
    if (FAILED(attributes->get_length(&count)))
        return result;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> attribute;
        if (FAILED(attributes->get_item(i, attribute.Out())) || !attribute)
            continue;
        result.push_back({NodeName(attribute.Get()).Text(), NodeText(attribute.Get())});
    }
    return result;
}

FeedNodes FeedDocument::Children(IXMLDOMNode* node)
{
    ComRef<IXMLDOMNodeList> list;
    node->get_childNodes(list.Out());
    return FeedNodes(std::move(list));
}

bool FeedDocument::Create()
{
    loaded_ = false;
    if (FAILED(CoCreateInstance(kDomDocumentClass, nullptr, kAnyServer, kDomDocumentInterface,
                                reinterpret_cast<void**>(document_.Out()))) ||
        !document_)
        return false;
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
    loaded_ = false;
    parsed = false;
    elapsedMs = 0;
    if (!document_)
        return E_POINTER;
    SysString source(text);
    if (!source.Get())
        return E_OUTOFMEMORY;
    if (DeclaresDoctype(text))
        return S_FALSE; // never handed to the parser
    document_->put_async(VARIANT_FALSE);
    VARIANT_BOOL success = VARIANT_FALSE;
    const DWORD start = timeGetTime();
    const HRESULT hr = document_->loadXML(source.Get(), &success);
    elapsedMs = timeGetTime() - start;
    parsed = true;
    ComRef<IXMLDOMDocumentType> doctype;
    if (hr == S_OK && SUCCEEDED(document_->get_doctype(doctype.Out())) && doctype)
        return S_FALSE; // one the scan above did not see
    loaded_ = hr == S_OK;
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

bool FeedDocument::Walk(IXMLDOMNode* parent, const std::function<bool(IXMLDOMNode*, BSTR)>& visit)
{
    ComRef<IXMLDOMNode> child;
    if (FAILED(parent->get_firstChild(child.Out())))
        return true;
    while (child) {
        DOMNodeType type = NODE_INVALID;
        child->get_nodeType(&type);
        if (type == NODE_ELEMENT) {
            if (!visit(child.Get(), NodeName(child.Get()).Get()))
                return false;
            if (!Walk(child.Get(), visit))
                return false;
        }
        ComRef<IXMLDOMNode> next;
        if (FAILED(child->get_nextSibling(next.Out())))
            break;
        child = std::move(next);
    }
    return true;
}

bool FeedDocument::FirstElement(const wchar_t* tag, ComRef<IXMLDOMNode>& found) const
{
    SysString wanted(tag);
    Walk(document_.Get(), [&](IXMLDOMNode* node, BSTR name) {
        if (!SameName(name, wanted.Get()))
            return true;
        node->AddRef();
        found = ComRef<IXMLDOMNode>(node);
        return false;
    });
    return bool(found);
}

DWORD FeedDocument::DocumentText(const wchar_t* tag, std::wstring& out) const
{
    out.clear();
    if (!loaded_)
        return ERROR_NOT_FOUND;
    ComRef<IXMLDOMNode> element;
    if (FirstElement(tag, element))
        out = NodeText(element.Get());
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
    ComRef<IXMLDOMNamedNodeMap> attributes;
    if (SUCCEEDED(element->get_attributes(attributes.Out())) && attributes) {
        SysString wanted(attribute);
        AttributeText(attributes.Get(), wanted.Get(), out);
    }
    return ERROR_SUCCESS;
}

DWORD FeedDocument::ForEachEntry(const std::function<void(const FeedNodes&)>& visit) const
{
    if (!loaded_)
        return ERROR_NOT_FOUND;
    SysString entry(L"entry");
    Walk(document_.Get(), [&](IXMLDOMNode* node, BSTR name) {
        if (SameName(name, entry.Get()))
            visit(Children(node));
        return true;
    });
    return ERROR_SUCCESS;
}

void FeedNodes::ForEach(const std::function<bool(IXMLDOMNode*, BSTR)>& visit) const
{
    if (!list_)
        return;
    long count = 0;
    if (FAILED(list_->get_length(&count)))
        return;
    for (long i = 0; i < count; ++i) {
        ComRef<IXMLDOMNode> node;
        if (FAILED(list_->get_item(i, node.Out())) || !node)
            continue;
        if (!visit(node.Get(), NodeName(node.Get()).Get()))
            return;
    }
}

DWORD FeedNodes::ChildText(const wchar_t* name, std::wstring& out) const
{
    out.clear();
    SysString wanted(name);
    bool found = false;
    ForEach([&](IXMLDOMNode* node, BSTR nodeName) {
        if (!FeedDocument::SameName(nodeName, wanted.Get()))
            return true;
        out = FeedDocument::NodeText(node);
        found = true;
        return false;
    });
    return found ? ERROR_SUCCESS : ERROR_NOT_FOUND;
}

DWORD FeedNodes::LinkHref(const wchar_t* element, const wchar_t* key, const wchar_t* value, const wchar_t* wanted,
                          std::wstring& out) const
{
    out.clear();
    SysString elementName(element);
    SysString keyName(key);
    SysString keyValue(value);
    SysString wantedName(wanted);
    bool found = false;
    ForEach([&](IXMLDOMNode* node, BSTR nodeName) {
        if (!FeedDocument::SameName(nodeName, elementName.Get()))
            return true;
        ComRef<IXMLDOMNamedNodeMap> attributes;
        if (FAILED(node->get_attributes(attributes.Out())) || !attributes)
            return true;
        long count = 0;
        attributes->get_length(&count);
        for (long i = 0; i < count; ++i) {
            ComRef<IXMLDOMNode> attribute;
            if (FAILED(attributes->get_item(i, attribute.Out())) || !attribute)
                continue;
            if (!FeedDocument::SameName(NodeName(attribute.Get()).Get(), keyName.Get()))
                continue;
            SysString text(FeedDocument::NodeText(attribute.Get()));
            if (!FeedDocument::SameName(text.Get(), keyValue.Get()))
                continue;
            if (AttributeText(attributes.Get(), wantedName.Get(), out)) {
                found = true;
                return false;
            }
        }
        return true;
    });
    return found ? ERROR_SUCCESS : ERROR_NOT_FOUND;
}
