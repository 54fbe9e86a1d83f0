#include "app/ServiceTextTable.h"

#include "app/ResourceText.h"
#include "res/resource.h"

namespace {

const struct
{
    ServiceText key;
    unsigned id;
} kTable[] = {
    {ServiceText::NextLinkElsewhere, IDS_SERVICE_NEXT_LINK_ELSEWHERE},
    {ServiceText::EditLinkElsewhere, IDS_SERVICE_EDIT_LINK_ELSEWHERE},
    {ServiceText::DetailsUnreadable, IDS_SERVICE_DETAILS_UNREADABLE},
    {ServiceText::HostNotFound, IDS_SERVICE_HOST_NOT_FOUND},
    {ServiceText::ConnectionRefused, IDS_SERVICE_CONNECTION_REFUSED},
    {ServiceText::TimedOut, IDS_SERVICE_TIMED_OUT},
    {ServiceText::CertificateUntrusted, IDS_SERVICE_CERTIFICATE_UNTRUSTED},
    {ServiceText::SecureConnectionFailed, IDS_SERVICE_SECURE_FAILED},
    {ServiceText::NotHttp, IDS_SERVICE_NOT_HTTP},
    {ServiceText::ConnectionFailed, IDS_SERVICE_CONNECTION_FAILED},
    {ServiceText::FeedWithoutEnd, IDS_SERVICE_FEED_WITHOUT_END},
};
static_assert(sizeof(kTable) / sizeof(kTable[0]) == size_t(ServiceText::Count), "a string for every service text");

} // namespace

void LoadServiceTexts(ServiceTexts& texts)
{
    for (const auto& row : kTable)
        texts.SetText(row.key, ResourceString(row.id));
}

unsigned ServiceTextStringId(ServiceText key)
{
    for (const auto& row : kTable)
        if (row.key == key)
            return row.id;
    return 0;
}
