#include "service/FeedNodes.h"

#include <algorithm>
#include <cwchar>

namespace {

// The element interface, for looking an attribute up by its name.
const IID kElementInterface = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

} // namespace

SysString FeedNodes::NodeName(IXMLDOMNode* node)
{
    SysString name;
    node->get_nodeName(name.Out());
    return name;
}

std::wstring FeedNodes::NodeText(IXMLDOMNode* node)
{
    SysString text;
    if (FAILED(node->get_text(text.Out())))
        return L"";
    return text.Text();
}

std::vector<FeedAttribute> FeedNodes::Attributes(IXMLDOMNode* node)
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

FeedNameSet::FeedNameSet(std::initializer_list<const wchar_t*> names) : names_(names) {}

int FeedNameSet::SlotOf(const std::shared_ptr<FeedNames>& table, int nameId)
{
    if (table != table_) {
        table_ = table;
        ids_.clear();
        for (const wchar_t* name : names_)
            ids_.push_back(table_->Id(name, wcslen(name)));
        slots_.clear();
    }
    if (nameId < 0)
        return -1;
    if (size_t(nameId) >= slots_.size())
        slots_.resize(size_t(nameId) + 1, -2);
    int& slot = slots_[size_t(nameId)];
    if (slot == -2) {
        slot = -1;
        for (size_t i = 0; i < ids_.size(); ++i)
            if (table_->Same(nameId, ids_[i])) {
                slot = int(i);
                break;
            }
    }
    return slot;
}

FeedNodes::FeedNodes(IXMLDOMNode* parent, std::shared_ptr<FeedNames> names)
    : names_(names ? std::move(names) : std::make_shared<FeedNames>())
{
    if (!parent)
        return;
    children_.reserve(32); // an album or photo entry has about 25 children
    ComRef<IXMLDOMNode> child;
    if (FAILED(parent->get_firstChild(child.Out())))
        return;
    while (child) {
        ComRef<IXMLDOMNode> next;
        const bool more = SUCCEEDED(child->get_nextSibling(next.Out()));
        Add(std::move(child));
        if (!more)
            break;
        child = std::move(next);
    }
}

void FeedNodes::Add(ComRef<IXMLDOMNode> node)
{
    // The name is kept as its number alone: the table holds its text.
    const SysString name = NodeName(node.Get());
    Child& child = children_.emplace_back();
    child.nameId = names_->Id(name.Get());
    child.node = std::move(node);
}

bool FeedNodes::AttributeText(IXMLDOMNode* node, BSTR name, SysString& text)
{
    text.Reset();
    ComRef<IXMLDOMElement> element;
    if (!node || FAILED(node->QueryInterface(kElementInterface, reinterpret_cast<void**>(element.Out()))) ||
        !element)
        return false;
    VARIANT value;
    VariantInit(&value);
    if (element->getAttribute(name, &value) != S_OK || value.vt != VT_BSTR) {
        VariantClear(&value);
        return false;
    }
    *text.Out() = value.bstrVal; // owned from here on
    return true;
}

void FeedNodes::FirstOfEach(FeedNameSet& names, std::vector<IXMLDOMNode*>& found) const
{
    found.assign(names.Size(), nullptr);
    if (!names_)
        return;
    for (const Child& child : children_) {
        const int slot = names.SlotOf(names_, child.nameId);
        if (slot >= 0 && !found[size_t(slot)])
            found[size_t(slot)] = child.node.Get();
    }
}

void FeedNodes::ForEach(const std::function<bool(IXMLDOMNode*, BSTR)>& visit) const
{
    for (const Child& child : children_)
        if (!visit(child.node.Get(), names_->Text(child.nameId)))
            return;
}

void FeedNodes::ForEachNamed(std::initializer_list<const wchar_t*> names,
                             const std::function<bool(size_t, IXMLDOMNode*)>& visit) const
{
    if (!names_)
        return;
    std::vector<int> wanted;
    wanted.reserve(names.size());
    for (const wchar_t* name : names)
        wanted.push_back(names_->Id(name, wcslen(name)));
    for (const Child& child : children_) {
        for (size_t which = 0; which < wanted.size(); ++which) {
            if (names_->Same(child.nameId, wanted[which])) {
                if (!visit(which, child.node.Get()))
                    return;
                break;
            }
        }
    }
}

FeedNodes FeedNodes::ChildrenOf(IXMLDOMNode* node) const
{
    return FeedNodes(node, names_);
}

DWORD FeedNodes::ChildText(const wchar_t* name, std::wstring& out) const
{
    out.clear();
    if (!names_)
        return ERROR_NOT_FOUND;
    const int wanted = names_->Id(name, wcslen(name));
    for (const Child& child : children_) {
        if (names_->Same(child.nameId, wanted)) {
            out = NodeText(child.node.Get());
            return ERROR_SUCCESS;
        }
    }
    return ERROR_NOT_FOUND;
}

DWORD FeedNodes::LinkHref(const wchar_t* element, const wchar_t* key, const wchar_t* value, const wchar_t* wanted,
                          std::wstring& out) const
{
    out.clear();
    if (!names_)
        return ERROR_NOT_FOUND;
    FeedNames& names = *names_;
    const int elementId = names.Id(element, wcslen(element));
    const int keyId = names.Id(key, wcslen(key));
    const int valueId = names.Id(value, wcslen(value));
    SysString keyName;
    SysString wantedName;
    SysString text;
    for (Child& child : children_) {
        if (!names.Same(child.nameId, elementId) || !child.node)
            continue;
        if (child.keyId != keyId) {
            if (!keyName.Get() && !keyName.Assign(std::wstring_view(key)))
                return ERROR_NOT_FOUND;
            child.keyId = keyId;
            child.keyValue = AttributeText(child.node.Get(), keyName.Get(), text) ? names.Id(text.Get()) : -2;
        }
        if (child.keyValue < 0 || !names.Same(child.keyValue, valueId))
            continue;
        if (!wantedName.Get() && !wantedName.Assign(std::wstring_view(wanted)))
            return ERROR_NOT_FOUND;
        if (AttributeText(child.node.Get(), wantedName.Get(), text)) {
            // Blanks alone read as nothing, as the attribute's text gives them.
            if (text.View().find_first_not_of(L" \t\r\n") != std::wstring_view::npos)
                out.assign(text.View());
            return ERROR_SUCCESS;
        }
    }
    return ERROR_NOT_FOUND;
}
