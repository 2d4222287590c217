// The processor circuits' common simnet body: BasicPipe, Memory, the reset and clock switches and a
// front panel of probes over every pipeline register, the buses and the register file.  Signals are
// declared and parts placed in one fixed order: it numbers the signals and components of 5a-LD-hazard.
// A variant with forwarding declares its own signals first and adds the forwarding unit, the load
// interlock and their probes.
#include <memory>

#include "NameIndex.h"
#include "NetlistTools.h"
#include "Pipeline.h"
#include "ProcessorNames.h"

namespace {

// The forwarding unit's choices beside EX's stall, the interlock beside ID's.
void forwardingProbes(const ForwardingSignals& forwarding) {
  Probe(SD("ce"), forwarding.loadUse, "Load-use");
  Probe(SD("ch"), forwarding.fwdA, "Fwd A");
  Probe(SD("ci"), forwarding.fwdB, "Fwd B");
  Probe(SD("cj"), forwarding.fwdD, "Fwd D");
}

const ProcessorVariant* placedVariant = nullptr;

}  // namespace

const ProcessorVariant& placedProcessor() { return placedVariant ? *placedVariant : defaultProcessorVariant(); }

void notePlacedProcessor(const ProcessorVariant& variant) { placedVariant = &variant; }

void placeProcessor(const ProcessorVariant& variant) {
  notePlacedProcessor(variant);
  useCircuitTools(processorToolsName, variant.tag);
  std::unique_ptr<ForwardingSignals> forwarding(variant.forwarding ? new ForwardingSignals : nullptr);
  Signal _2(1, "_2"), ALUo(16, "ALUo"), ALUo1(16, "ALUo1"), DMAR(16, "DMAR"), Reg2(16, "Reg2"), Z(1, "Z"),
      enTriLink(1, "enTriLink"), reset(1, "reset"), Reg1(16, "Reg1"), Reg6(16, "Reg6"), Reg0(16, "Reg0"),
      stallID(1, "stallID"), _14(1, "_14"), _3(1, "_3"), stallIF(1, "stallIF"), Reg7(16, "Reg7"),
      PCtmp(16, "PCtmp"), _11(1, "_11"), _9(1, "_9"), _10(1, "_10"), DataWrite(16, "DataWrite"),
      enTriROM(1, "enTriROM"), IR_ID(16, "IR_ID"), _7(1, "_7"), stallMEM(1, "stallMEM"), read(1, "read"),
      AddrBus(16, "AddrBus"), stallEX(1, "stallEX"), IR_MEM(16, "IR_MEM"), PC(16, "PC"), _6(1, "_6"),
      _13(1, "_13"), SMDR(16, "SMDR"), Reg3(16, "Reg3"), _4(1, "_4"), Reg4(16, "Reg4"), IR_EX(16, "IR_EX"),
      DataBus(16, "DataBus"), branchDecision(1, "branchDecision"), IR1(16, "IR1"), clock(1, "clock"), _1(1, "_1"),
      LMDR(16, "LMDR"), B(16, "B"), IR_WB(16, "IR_WB"), _12(1, "_12"), _8(1, "_8"), _15(1, "_15"),
      memory(1, "memory"), D(16, "D"), Reg5(16, "Reg5"), MemReq(1, "MemReq"), N(1, "N"), PC1(16, "PC1"),
      _5(1, "_5"), A(16, "A"), enTriRAM(1, "enTriRAM");

  BasicPipe(SD("la-sj"), reset, clock, DataBus, memory, read, AddrBus, DataWrite, PC, PCtmp, IR_ID, PC1, A, B, IR1, D,
            IR_EX, ALUo, DMAR, SMDR, N, Z, IR_MEM, ALUo1, LMDR, IR_WB, Reg0, Reg1, Reg2, Reg3, Reg4, Reg5, Reg6, Reg7,
            stallIF, stallID, stallEX, stallMEM, branchDecision, MemReq, EX, forwarding.get());
  Memory(SD("ol-sn"), memory, read, AddrBus, DataWrite, DataBus, enTriLink, enTriROM, enTriRAM);

  probeRow("aa.aa", PC, "IF: PC");
  probeRow("ba.aa", PCtmp, "IF: PCtmp");
  Switch(SD("ad.ac-ae"), reset, '0', One, "RST");
  Switch(SD("bd.ac-ae"), clock, '1', Zero, "CLK");
  Probe(SD("ak.aa-ac"), memory, "MemRq");
  probeRow("ak.ae", AddrBus, "Address Bus");
  Probe(SD("bk.aa-ac"), read, "R/W");
  probeRow("bk.ae", DataBus, "Data Bus");
  probeRow("da-ea.aa", IR_ID, "ID: IR");
  probeRow("dd-ed.ad", IR_EX, "EX: IR");
  Not(SD("dg-eg.ae"), Zero, _1);
  Not(SD("dh-eh.aa"), Zero, _2);
  probeRow("dh-eh.ab", IR_MEM, "MEM: IR");
  probeRow("dk-ek.ae", IR_WB, "WB: IR");
  Probe(SD("ca"), stallIF, "Stall_IF");
  Probe(SD("cd"), stallID, "Stall_ID");
  Probe(SD("cg"), stallEX, "Stall_EX");
  Probe(SD("ai"), branchDecision, "Branch?");
  Probe(SD("ck"), stallMEM, "Stall_MEM");
  probeRow("fa.aa", PC1, "ID: PC1");
  Not(SD("fd.ae"), Zero, _3);
  probeRow("ga.aa", A, "ID: A");
  probeRow("ha.aa", B, "ID: B");
  probeRow("ia.aa", IR1, "ID: IR1");
  Not(SD("id.ae"), Zero, _4);
  probeRow("ja.aa", D, "ID: D");
  Probe(SD("ff.aa-ab"), N, "N");
  Probe(SD("ff.ad-ae"), Z, "Z");
  probeRow("gd.ad", ALUo, "EX: ALUo");
  Not(SD("gg.ae"), Zero, _5);
  probeRow("hd.ad", DMAR, "EX: DMAR");
  Not(SD("hg.ae"), Zero, _7);
  probeRow("jd.ad", SMDR, "EX: SMDR");
  Not(SD("jg.ae"), Zero, _8);
  Not(SD("gh.aa"), Zero, _6);
  probeRow("gh.ab", ALUo1, "MEM: ALUo1");
  Not(SD("jh.aa"), Zero, _9);
  probeRow("jh.ab", LMDR, "MEM: LMDR");
  Not(SD("fk.aa"), Zero, _10);
  probeRow("fk.ae", Reg0, "Reg0");
  probeRow("gk.ae", Reg1, "Reg1");
  Not(SD("hk.aa"), Zero, _11);
  probeRow("hk.ae", Reg2, "Reg2");
  Not(SD("ik.aa"), Zero, _12);
  probeRow("ik.ae", Reg3, "Reg3");
  probeRow("jk.ae", Reg4, "Reg4");
  Not(SD("kk.aa"), Zero, _13);
  probeRow("kk.ae", Reg5, "Reg5");
  Not(SD("lk.aa"), Zero, _14);
  probeRow("lk.ae", Reg6, "Reg6");
  Not(SD("mk.aa"), Zero, _15);
  probeRow("mk.ae", Reg7, "Reg7");
  if (forwarding) forwardingProbes(*forwarding);
  WideMemory(processorNames::ram, {processorNames::ramLanes[0], processorNames::ramLanes[1]});
  MemoryAddresses(processorNames::ram, processorNames::ramFirstAddress);
  for (const processorNames::Alias& a : processorNames::aliases) NameAlias(a.alias, a.name);
}

