// SPDX-License-Identifier: MIT
// The yardstick for load benchmarks: a Xerces SAX2 parse with empty handlers
// and the same parser features quillon-diff uses by default.

#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLException.hpp>
#include <xercesc/util/XMLUni.hpp>

#include <chrono>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    using namespace xercesc;
    if (argc < 2) {
        std::fprintf(stderr, "usage: bare_parse FILE...\n");
        return 2;
    }
    XMLPlatformUtils::Initialize();
    int rc = 0;
    {
        std::unique_ptr<SAX2XMLReader> reader(XMLReaderFactory::createXMLReader());
        DefaultHandler handler;
        reader->setContentHandler(&handler);
        reader->setErrorHandler(&handler);
        reader->setLexicalHandler(&handler);
        reader->setFeature(XMLUni::fgXercesSchema, true);
        reader->setFeature(XMLUni::fgXercesSchemaFullChecking, false);
        reader->setFeature(XMLUni::fgSAX2CoreNameSpacePrefixes, true);
        reader->setFeature(XMLUni::fgSAX2CoreNameSpaces, true);
        reader->setFeature(XMLUni::fgXercesLoadExternalDTD, false);
        reader->setFeature(XMLUni::fgSAX2CoreValidation, false);
        for (int i = 1; i < argc; ++i) {
            const auto start = std::chrono::steady_clock::now();
            try {
                reader->parse(argv[i]);
            } catch (const XMLException&) {
                rc = 1;
            }
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            std::printf("%s: parsed in %.3f s\n", argv[i], s);
        }
    }
    XMLPlatformUtils::Terminate();
    return rc;
}
