#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <utility>

#include "platform/win32/Scoped.h"

namespace dx {
namespace {

// The references an object holds, read by taking one and giving it back.
ULONG References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST(ComPtr, AnotherInterfaceAndMovesKeepTheReferencesRight) {
  const BYTE bytes[] = {1, 2, 3};
  win32::ComPtr<IStream> stream;
  *stream.put() = ::SHCreateMemStream(bytes, sizeof bytes);
  ASSERT_TRUE(stream);
  ASSERT_EQ(References(stream.get()), 1u);

  win32::ComPtr<ISequentialStream> sequential = stream.As<ISequentialStream>();
  ASSERT_TRUE(sequential);
  EXPECT_EQ(References(stream.get()), 2u);
  // An interface the object lacks gives an empty pointer and no reference.
  EXPECT_FALSE(stream.As<IPersistStream>());
  EXPECT_EQ(References(stream.get()), 2u);

  // Moving onto a pointer that holds another object releases that one.
  win32::ComPtr<IStream> other;
  *other.put() = ::SHCreateMemStream(bytes, sizeof bytes);
  IStream* otherObject = other.get();
  otherObject->AddRef();
  other = std::move(stream);
  EXPECT_FALSE(stream);
  EXPECT_EQ(otherObject->Release(), 0u);
  EXPECT_EQ(References(other.get()), 2u);
  auto& same = other;
  other = std::move(same);
  EXPECT_EQ(References(other.get()), 2u);
  sequential.reset();
  EXPECT_EQ(References(other.get()), 1u);
}

}  // namespace
}  // namespace dx
