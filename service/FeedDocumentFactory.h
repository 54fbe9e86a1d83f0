#pragma once
#include <windows.h>
#include <msxml2.h>

#include "base/ComRef.h"

// Makes the XML documents that replies are read into (MSXML 3 DOMDocument).
// COM looks a class up in the registry every time an object of it is made;
// under Wine that costs more than reading a photo's details. While an
// instance lives, the documents made on its thread come from one class
// object, asked for at the first of them. An instance belongs to the thread
// that made it and must end inside that thread's COM apartment; instances
// nest, the innermost serving.
class FeedDocumentFactory
{
public:
    FeedDocumentFactory();
    ~FeedDocumentFactory();
    FeedDocumentFactory(const FeedDocumentFactory&) = delete;
    FeedDocumentFactory& operator=(const FeedDocumentFactory&) = delete;

    // A new document, from the thread's factory when it has one and straight
    // from COM otherwise. Fails as COM does (without COM on the thread, or
    // without the parser); a factory that failed asks again the next time.
    static HRESULT CreateDocument(ComRef<IXMLDOMDocument>& document);

private:
    HRESULT Create(ComRef<IXMLDOMDocument>& document);

    ComRef<IClassFactory> classObject_;
    FeedDocumentFactory* outer_;
};
