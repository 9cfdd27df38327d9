// The expected differences of whole-product removals and the pieces of the
// rich installations the scenario tests name (testkit/installations).
#pragma once
#include "expectation.h"
#include <string>
#include <vector>

extern const char kUninstallString[];
std::vector<std::string> ToolkitFiles();
std::vector<std::string> JavaClientFiles();
std::vector<std::string> GatewayFiles();
std::vector<std::string> GatewayDocFiles();
// Files the Windows NT client shares with the server.
std::vector<std::string> SharedClientFiles();
// Files of the server's own lists and procedure.
std::vector<std::string> ServerFiles();
// The server's Java bindings (releases 5.0 and 5.1).
std::vector<std::string> ServerJavaFiles();
// The queue managers' folders and files.
std::vector<std::string> QueueManagerData();
// The value names the clients were recorded under, by release.
std::vector<std::string> ClientComponentValues(const std::string &release);
// The staged stop before a removal stops the product's two services: those
// the removal does not delete stay, stopped.
void AddServicesStopped(ExpectedDifference *e);
// With the "vlm" account start-up secures the product key: every key of its
// tree gets the product's access list and, under Wine, an owner (a key
// whose security was never written gets one with its first access list).
void AddProductKeySecured(ExpectedDifference *e);
// A whole-product removal of a rich installation, with or without its data.
ExpectedDifference WholeRemoval(const std::string &release, bool withData);
// The development toolkit and the Java client removed from a rich 5.1
// installation (whose services ran, unless told otherwise).
ExpectedDifference ToolkitAndJavaClientRemoval(bool servicesRan = true);
// The server and Web Administration of a rich 5.1 installation, recorded as
// incomplete, removed with or without their data.
ExpectedDifference IncompleteServerRemoval(bool withData);
