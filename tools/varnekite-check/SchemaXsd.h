// schema/Varnekite.xsd, written from the loader's own list of elements and attributes and the
// command kinds' table, so that editors know exactly the names the installer reads.
#pragma once

#include <string>

// The whole schema document, UTF-8.
std::string SchemaXsd();
