#pragma once
// Giving one placement a definition of its own: the instance's definition is copied
// with everything it owns, while the copy keeps referring to the model's materials,
// layers, fonts and other definitions, so the instance can be changed alone.

class CComponentInstance;
class CTarnwickModel;

// True when the instance now has a definition made by this call; false when it already
// was its definition's only instance, has no definition, or there is no model. Every
// change is recorded in the open undo operation.
bool MakeDefinitionUnique(CTarnwickModel* model, CComponentInstance* instance);
