#include <gtest/gtest.h>

#include <string>

#include "vexaSDK/TTL/vexaSmartPtr.h"

namespace vexaSDK {
namespace TTL {
namespace {

using Common::CIndexOutOfBoundsException;
using Common::CNullPointerException;
using Common::CSyntaxException;

// Counts live instances, so tests see exactly when blocks are disposed of.
struct Counted {
  static int alive;
  Counted() { ++alive; }
  ~Counted() { --alive; }
  int value = 7;
};
int Counted::alive = 0;

// A COM-style object whose Release the interface reference object calls.
struct FakeInterface {
  int releases = 0;
  unsigned long Release() { return static_cast<unsigned long>(++releases); }
};

class SmartPtrTest : public testing::Test {
 protected:
  void SetUp() override { Counted::alive = 0; }
};

TEST_F(SmartPtrTest, CopiesShareOneBlockDisposedOnceAtTheLastRelease) {
  {
    smart_ptr<Counted> first(new Counted);
    smart_ptr<Counted> second(first);
    smart_ptr<Counted> third;
    third = second;
    EXPECT_EQ(1, Counted::alive);
    EXPECT_EQ(first.get(), third.get());
    first.release();
    second.release();
    EXPECT_EQ(1, Counted::alive);
    EXPECT_EQ(nullptr, first.get());
    EXPECT_EQ(7, third->value);
  }
  EXPECT_EQ(0, Counted::alive);
}

TEST_F(SmartPtrTest, ArraysAreDeletedAsArrays) {
  {
    smart_ptr<Counted> array(new Counted[5], true, 5, true);
    EXPECT_EQ(5, Counted::alive);
    EXPECT_EQ(5u, array.size());
    EXPECT_EQ(&array[0] + 4, &array[4]);
    EXPECT_EQ(array.get(3), &array[3]);
  }
  EXPECT_EQ(0, Counted::alive);
}

TEST_F(SmartPtrTest, AssignmentReleasesTheTargetFirst) {
  smart_ptr<Counted> target(new Counted);
  smart_ptr<Counted> source(new Counted);
  EXPECT_EQ(2, Counted::alive);
  target = source;
  EXPECT_EQ(1, Counted::alive);
  target = target;  // self-assignment keeps the block
  EXPECT_EQ(1, Counted::alive);
  EXPECT_EQ(source.get(), target.get());
  target = smart_ptr<Counted>();
  source = smart_ptr<Counted>();
  EXPECT_EQ(0, Counted::alive);
}

TEST_F(SmartPtrTest, NonOwningCountedViewNeverFreesTheBuffer) {
  char buffer[256] = "stack";
  {
    smart_ptr<char> view(buffer, false, 256, true);
    smart_ptr<char> copy(view);
    EXPECT_EQ(256u, copy.size());
    EXPECT_EQ(buffer + 255, &copy[255]);
    EXPECT_EQ('s', *view);
  }
  // Releasing the last copy destroyed only the reference object.
  EXPECT_STREQ("stack", buffer);
}

TEST_F(SmartPtrTest, PlainViewCountsNothingAndFailsCheckedAccess) {
  int value = 3;
  smart_ptr<int> view(&value, true, 0, false);
  EXPECT_EQ(0u, view.size());
  EXPECT_EQ(&value, view.get());
  EXPECT_EQ(&value, view.get(5));  // no reference object: the pointer itself
  EXPECT_THROW(*view, CIndexOutOfBoundsException);
  EXPECT_THROW(view[0], CIndexOutOfBoundsException);
  view.release();
  EXPECT_EQ(&value, view.get()) << "a plain view keeps its pointer";
}

TEST_F(SmartPtrTest, EmptyPointerThrowsNullBeforeIndex) {
  smart_ptr<Counted> empty;
  EXPECT_EQ(nullptr, empty.get());
  EXPECT_EQ(0u, empty.size());
  EXPECT_THROW(empty->value, CNullPointerException);
  try {
    empty[0];
    FAIL();
  } catch (const CNullPointerException& e) {
    const std::string report = e.what();
    EXPECT_NE(std::string::npos, report.find("error : CNullPointerException\r\nnull\r\n"));
    EXPECT_NE(std::string::npos, report.find("file : vexaSmartPtr.h("));
  }
  empty.release();  // releasing an empty pointer does nothing
  smart_ptr<Counted> fromNull(nullptr, true, 1, false);
  EXPECT_EQ(0u, fromNull.size());
}

TEST_F(SmartPtrTest, SuppliedReferenceObjectNeedsOwnership) {
  FakeInterface object;
  auto* reference = new ref_object_interface<FakeInterface>(&object);
  EXPECT_THROW(smart_ptr<FakeInterface>(&object, false, 1, false, reference), CSyntaxException);
  {
    smart_ptr<FakeInterface> owner(&object, true, 1, false, reference);  // adopted
    smart_ptr<FakeInterface> copy(owner);
    owner.release();
    EXPECT_EQ(0, object.releases);
  }
  EXPECT_EQ(1, object.releases) << "Release runs once, at the last release";
}

// Virtual functions but no virtual destructor: deleted as the type it was
// handed over as, never through a guess at run time.
struct Shape {
  static int alive;
  Shape() { ++alive; }
  ~Shape() { --alive; }
  virtual int Corners() const { return 0; }
};
int Shape::alive = 0;
struct Square : Shape {
  static int squares;
  Square() { ++squares; }
  ~Square() { --squares; }
  int Corners() const override { return 4; }
};
int Square::squares = 0;

TEST_F(SmartPtrTest, PolymorphicClassWithoutVirtualDestructorIsDeleted) {
  {
    smart_ptr<Shape> shape(new Shape);
    EXPECT_EQ(1, Shape::alive);
  }
  EXPECT_EQ(0, Shape::alive);
  {
    smart_ptr<Shape> square(new Square);  // held through the base
    EXPECT_EQ(4, square->Corners());
    smart_ptr<Shape> copy(square);
    square.reset(new Shape);
    EXPECT_EQ(1, Square::squares);
  }
  EXPECT_EQ(0, Square::squares) << "the square's own destructor ran";
  EXPECT_EQ(0, Shape::alive);
}

TEST_F(SmartPtrTest, InterfaceWithoutItsReferenceObjectIsRefused) {
  struct Interface {
    virtual unsigned long Release() = 0;
  };
  struct Object : Interface {
    unsigned long Release() override { return 0; }
  } object;
  Interface* raw = &object;
  EXPECT_THROW(smart_ptr<Interface>(raw, true, 1, false), CSyntaxException);
  smart_ptr<Interface> view(raw, false, 1, false);  // not owned: nothing to dispose of
  EXPECT_EQ(&object, view.get());
}

TEST_F(SmartPtrTest, ResetReleasesThenTakesTheNewBlock) {
  smart_ptr<Counted> pointer(new Counted);
  pointer.reset(new Counted[2], true, 2, true);
  EXPECT_EQ(2, Counted::alive);
  EXPECT_EQ(2u, pointer.size());
  pointer.reset(nullptr);
  EXPECT_EQ(0, Counted::alive);
  EXPECT_EQ(nullptr, pointer.get());
}

}  // namespace
}  // namespace TTL
}  // namespace vexaSDK
