// The request variables the plug-in hands to the gateway, in order.
#ifndef DVLWHAPI_REQUEST_VARIABLES_H
#define DVLWHAPI_REQUEST_VARIABLES_H

#define REQUEST_VARIABLE_COUNT 31

extern const char* const RequestVariableNames[REQUEST_VARIABLE_COUNT];

#endif
