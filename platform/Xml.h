// The platform's XML document object: a small DOM with XPath 1.0.
//
// XmlDocument owns a tree of nodes and loads and saves it; XmlNode is the
// handle through which the tree is read, searched and changed. Include this
// header to use both.
#pragma once

#include "XmlDocument.h"
#include "XmlNode.h"
