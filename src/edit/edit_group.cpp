#include "edit/edit_group.h"

namespace kv816 {

EditSubject subjectOfIndex(int index, EditSource source) {
  EditSubject subject;
  subject.source = source;
  const IndexLocation where = locateIndex(index);
  if (where.isGlobal())
    return subject;
  subject.channel = where.channel;
  subject.function = where.function;
  const bool banded =
      isGraphicBandFunction(where.function) || isParametricBandFunction(where.function);
  subject.band = banded ? where.band : -1;
  return subject;
}

} // namespace kv816
