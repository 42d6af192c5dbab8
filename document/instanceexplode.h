#pragma once
// Exploding a component instance: the instance is replaced, in the component that holds
// it, by copies of its definition's entities placed where the instance showed them.

#include <vector>

class CComponentInstance;
class CEntity;

// Copies the definition's entities (sharing the model's materials, layers, fonts and
// other definitions), places them by the instance's transformation, adds them to the
// instance's component, lets texts and dimensions that hung on the instance hang on
// the copies, and erases the instance. With onlyInstance a definition left without
// instances is removed from its list. Every change is recorded. Answers the copies;
// none when the instance has no definition or no component.
std::vector<CEntity*> ExplodeInstance(CComponentInstance* instance, bool onlyInstance);
