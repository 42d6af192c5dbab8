#pragma once
// Support shared by the tests of attributes and relationships: memory archives in a
// chosen save format, and an open undo operation without a model. The entity tests
// have the same needs, so their support serves here too.

#include "tests/model/entitytestsupport.h"

namespace attributetest {

using entitytest::Bytes;
using entitytest::Load;
using entitytest::OpenOperation;
using entitytest::Store;

}  // namespace attributetest
