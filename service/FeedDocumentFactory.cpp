#include "service/FeedDocumentFactory.h"

namespace {

// The version-independent DOMDocument class of MSXML 3.0 and IXMLDOMDocument.
const CLSID kDomDocumentClass = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
const IID kDomDocumentInterface = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
const DWORD kAnyServer = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

thread_local FeedDocumentFactory* t_current = nullptr;

} // namespace

FeedDocumentFactory::FeedDocumentFactory() : outer_(t_current)
{
    t_current = this;
}

FeedDocumentFactory::~FeedDocumentFactory()
{
    // Out of order would leave the thread with a factory that is gone.
    if (t_current == this)
        t_current = outer_;
}

HRESULT FeedDocumentFactory::CreateDocument(ComRef<IXMLDOMDocument>& document)
{
    if (t_current)
        return t_current->Create(document);
    return CoCreateInstance(kDomDocumentClass, nullptr, kAnyServer, kDomDocumentInterface,
                            reinterpret_cast<void**>(document.Out()));
}

HRESULT FeedDocumentFactory::Create(ComRef<IXMLDOMDocument>& document)
{
    document.Reset();
    if (!classObject_) {
        const HRESULT hr = CoGetClassObject(kDomDocumentClass, kAnyServer, nullptr, IID_IClassFactory,
                                            reinterpret_cast<void**>(classObject_.Out()));
        if (FAILED(hr))
            return hr;
        if (!classObject_)
            return E_NOINTERFACE;
    }
    return classObject_->CreateInstance(nullptr, kDomDocumentInterface, reinterpret_cast<void**>(document.Out()));
}
