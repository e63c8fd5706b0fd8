#pragma once
// The maker's public key that update information files must be signed with. Each program
// is linked with the key its build was given (assets/keys/update-public.pem for the
// product), so no file read at run time can change whom the program trusts.
namespace dx {

extern const char kMakerUpdatePublicKey[];

}  // namespace dx
