#pragma once
// CWholeResource: a resource translated as a whole, one value a language on a single chain
// (raw bytes, an image set, a document). Keeps that chain and the status chain in step,
// once for every such format.
#include <memory>
#include <vector>

#include "resmodel/Resource.h"

class CWholeResource : public CResource {
 public:
  std::unique_ptr<CLocalizedParam> DetachTranslation(LANGID language) override;
  void AttachTranslation(std::unique_ptr<CLocalizedParam> value, int status) override;
  void CollectTranslationChains(std::vector<CLocalizedParam*>& chains) override;
  void SetTranslationStatus(LANGID language, int status) override;
  bool HasTranslation(LANGID language) const override;
  // The status of the language's value; 0 without one.
  int ComputeStatus(LANGID language) const override;

 protected:
  // The chain of values, the source first.
  virtual CLocalizedParam& Values() = 0;
  const CLocalizedParam& Values() const { return const_cast<CWholeResource*>(this)->Values(); }
  // Before a language is given a new value: its status entry exists, and its old value
  // leaves the chain (returned, for undo).
  std::unique_ptr<CLocalizedParam> TakeOutForReplacement(LANGID language);
};
