#pragma once

#include <QStringView>

// Which attributes of article markup may stay. Articles are often written by others and every
// converter reads the page: an attribute that runs script, or that makes a converter fetch
// something from outside the page's own folder (the network, any other file), never does.
namespace markupsafety {

// Whether the attribute name=value of the element may stay. Dropped: event attributes
// ("on..."), script addresses on links, an address the page would load (src, srcset,
// background, poster, ...) unless it names a file in the page's folder or below, anything
// whose CSS fetches from elsewhere (url(), image-set(), ...), and a link's "attachment"
// relation (a converter embeds what such a link names). Values are read as a converter reads
// them: character references decoded, CSS escapes and comments undone.
bool attributeMayStay(QStringView element, QStringView name, QStringView value);

// Whether an address, as written in an attribute, names a file in the page's folder or below
// and nothing else: relative, no scheme, no "..", no backslash.
bool isLocalAddress(QStringView value);

} // namespace markupsafety
