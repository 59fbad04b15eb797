// Random identifiers: version-4 UUID texts and the client signature, the per-machine identifier that every
// service request carries.
#pragma once

#include <cstdint>
#include <string>

// The next number of the process-wide xorshift128+ generator. Its state is all zero, and so is every number
// it gives, until SeedRandom succeeds.
uint64_t NextRandom();

// Loads the generator's state with 16 bytes from the system's random source; false, with the state unchanged,
// when the source fails.
bool SeedRandom();

// "xxxxxxxx-xxxx-4xxx-yxxx-xxxxxxxxxxxx" in lowercase from two numbers of the generator: a version-4,
// variant-1 UUID.
std::string NewUuid();

// The client signature "{<uuid>G}" of this machine for `brand`. The first of these keys with a non-empty
// "ClientSign" string that can be read decides: current user "Software\<brand>\<brand> Relay Kit", then the
// same key and "Software\<brand>\IXR" of the local machine (32-bit view); each is created when missing. When
// none has one, a new signature is made and stored in both local-machine keys (failures to store are
// ignored: the signature still serves this run). Found signatures are never copied elsewhere.
std::u16string GetClientSign(const std::u16string& brand);

// Sets the generator's state, for tests.
void SetRandomStateForTesting(uint64_t s0, uint64_t s1);
