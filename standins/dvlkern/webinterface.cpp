// Base request interface and the configuration set.
#include <stdlib.h>
#include "dvlkern.h"

WebInterface::WebInterface()
    : inputBuffer(NULL), inputLength(0), configuration(NULL), headerWritten(0), textWritten(0)
{
}

// A derived interface releases what it made; whatever it left behind is
// released here so nothing leaks.
WebInterface::~WebInterface()
{
    delete configuration;
    configuration = NULL;
    free(inputBuffer);
    inputBuffer = NULL;
}

char* WebInterface::getInputBuffer() { return inputBuffer; }

long WebInterface::getInputLength() { return inputLength; }

ConfigurationSet* WebInterface::getConfiguration() { return configuration; }

ConfigurationSet::ConfigurationSet(WebInterface* owner) : ownerInterface(owner) {}

ConfigurationSet::~ConfigurationSet() {}

WebInterface* ConfigurationSet::owner() const { return ownerInterface; }

const char* ConfigurationSet::responseType() const { return "text/plain"; }
