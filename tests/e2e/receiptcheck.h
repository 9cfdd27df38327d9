// The receipt a run wrote: checked against the published schema
// (docs/receipt.schema.json) with Debian's validator, and read for the tests.
#pragma once
#include <nlohmann/json.hpp>
#include <string>

// "" when the file is valid against the schema; otherwise what the validator
// said (or why it could not be asked).
std::string ReceiptSchemaProblems(const std::string &receiptPath);
// The receipt's text parsed (a discarded value when it is not JSON).
nlohmann::json ParseReceipt(const std::string &text);
// The receipt's leftover item for this path (compared without case), or null.
nlohmann::json LeftoverItem(const nlohmann::json &receipt, const std::string &path);
// The component's entry by its value name, or null.
nlohmann::json ReceiptComponent(const nlohmann::json &receipt, const std::string &name);
