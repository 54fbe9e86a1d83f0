#include "service/FeedNodes.h"

#include <algorithm>
#include <cwchar>

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
    Child child;
    child.name = NodeName(node.Get());
    child.nameId = names_->Id(child.name.Get());
    child.node = std::move(node);
    children_.push_back(std::move(child));
}

FeedNodes::Attribute* FeedNodes::AttributeAt(Child& child, size_t index) const
{
    if (child.attributeCount < 0) {
        child.attributeCount = 0;
        if (FAILED(child.node->get_attributes(child.attributeMap.Out())) || !child.attributeMap ||
            FAILED(child.attributeMap->get_length(&child.attributeCount)) || child.attributeCount < 0)
            child.attributeCount = 0;
        // Room for all of them at once: a lookup holds on to one while it
        // reads the next.
        child.attributes.reserve(size_t(child.attributeCount));
    }
    // An item the parser does not give is passed over, as if it were not there.
    while (child.attributes.size() <= index) {
        if (child.attributeNext >= child.attributeCount)
            return nullptr;
        Attribute attribute;
        if (FAILED(child.attributeMap->get_item(child.attributeNext++, attribute.node.Out())) || !attribute.node)
            continue;
        attribute.name = names_->Id(NodeName(attribute.node.Get()).Get());
        child.attributes.push_back(std::move(attribute));
    }
    return &child.attributes[index];
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
        if (!visit(child.node.Get(), child.name.Get()))
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
    const int wantedId = names.Id(wanted, wcslen(wanted));
    for (Child& child : children_) {
        if (!names.Same(child.nameId, elementId) || !child.node)
            continue;
        // Attributes are read only as far as the key and the wanted one
        // stand: most links are passed over after their first.
        for (size_t i = 0; Attribute* attribute = AttributeAt(child, i); ++i) {
            if (!names.Same(attribute->name, keyId))
                continue;
            if (attribute->value < 0)
                attribute->value = names.Id(NodeText(attribute->node.Get()));
            if (!names.Same(attribute->value, valueId))
                continue;
            // Any attribute of the same link, wherever it stands.
            for (size_t j = 0; Attribute* other = AttributeAt(child, j); ++j) {
                if (names.Same(other->name, wantedId)) {
                    out = NodeText(other->node.Get());
                    return ERROR_SUCCESS;
                }
            }
        }
    }
    return ERROR_NOT_FOUND;
}
