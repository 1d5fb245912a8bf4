#include "materials/RenderTechnique.h"

#include "render/ElementList.h"
#include "render/IRenderer.h"

namespace {
bool ValidSlot(int index) {
    return index >= 0 && index < RenderTechnique::kSlotCount;
}
}  // namespace

RenderTechnique::RenderTechnique(const std::string& name) : m_name(name) {}

RenderTechnique::~RenderTechnique() {
    for (int i = 0; i < kSlotCount; ++i) {
        ReleaseProgram(i);
        ReleaseTexture(i);
    }
}

void RenderTechnique::Draw(ElementList& list) {
    DrawRange(list, 0, list.GetIndexCount());
}

void RenderTechnique::SetProgram(int index, bool owned, uint32_t id) {
    if (!ValidSlot(index)) return;
    ReleaseProgram(index);
    m_programs[index] = Slot{id, owned};
}

void RenderTechnique::ReleaseProgram(int index) {
    if (!ValidSlot(index)) return;
    Slot& slot = m_programs[index];
    if (slot.id != 0 && slot.owned && GetRenderer()) GetRenderer()->FreeProgram(slot.id);
    slot = Slot{};
}

uint32_t RenderTechnique::GetProgram(int index) const {
    return ValidSlot(index) ? m_programs[index].id : 0;
}

void RenderTechnique::SetTexture(int index, bool owned, uint32_t id) {
    if (!ValidSlot(index)) return;
    ReleaseTexture(index);
    m_textures[index] = Slot{id, owned};
}

void RenderTechnique::ReleaseTexture(int index) {
    if (!ValidSlot(index)) return;
    Slot& slot = m_textures[index];
    if (slot.id != 0 && slot.owned && GetRenderer()) GetRenderer()->FreeTexture(slot.id);
    slot = Slot{};
}

uint32_t RenderTechnique::GetTexture(int index) const {
    return ValidSlot(index) ? m_textures[index].id : 0;
}
