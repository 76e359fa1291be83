#pragma once

#include <QLatin1String>

// The XML namespaces of WebDAV, CardDAV and the calendar server's extensions (getctag).
struct EspacesDav {
    static constexpr QLatin1String Dav{"DAV:"};
    static constexpr QLatin1String CardDav{"urn:ietf:params:xml:ns:carddav"};
    static constexpr QLatin1String CalendarServer{"http://calendarserver.org/ns/"};
};
