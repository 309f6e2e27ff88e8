#!/usr/bin/env python3
"""Transcribe the UN/EDIFACT segment directories into marlune's catalogue data.

Run by maintainers, not by the build:

    python3 tools/transcribe/transcribe.py [--source ../shared/unedifact] [--out data/catalogue]
                                           [--names-out data/names] [--check]

It reads the UN directory files under SOURCE (raw UNTDID text files and the
derived CSV tables for the oldest releases) and writes one data file per
directory plus default.txt for the default segment table.  Each data file is
a few '#' header lines saying where its rows come from, then one segment
definition per line, sorted by tag.

A definition has one field specifier per simple data element and per
component, in segment order: "+" starts a data element, ":" continues a
composite; "A" for a and an formats, "N" for variable numeric formats
(n..18) and "n" for numeric formats of fixed length (n6), followed by the
maximum length of the format.  "n" fields are compressed as read, so that
a date n6 keeps its leading zeros on the way back.  Repeat counts are
ignored: a data element that a segment repeats is transcribed once, its
repetitions being separated by the repetition separator of syntax version 4.

The directories released after D.99A (D.99B ... D.24A, and the interactive
I.99B ... I.24A) hold every segment of their release's EDSD (IDSD), segments
marked for deletion included.

Next to each data file it writes the UN names of the fields of every row
into NAMES_OUT (data/names, same file names): the segment name, and per data
element its identifier and name, for a composite the identifiers and names of
its components, taken from the same UN files as the definitions.  Names are
only given to a row when its source reproduces the row field for field;
copied rows (91.2, I.96B, the default table) take the names of the row they
were copied from.  Each file's header lists the rows left without names.

With --check the script only compares what it would write with the files
already in OUT and NAMES_OUT and exits non-zero on any difference.
"""

import argparse
import os
import re
import sys

# ---------------------------------------------------------------------------
# Tags held by each directory.  The raw directories contain more segments
# (VLI, TSR in D.94A, VEH in the interactive ones, ...); only these are kept.

TAGS = {
    '88.1': 'ACT ALC ALI API BGM CNT CTA CUX DOC DTM FII FTX GIN GIR IMD LIN LOC MEA NAD PAC PAI PAT PCI PIA PRP QVA RFF SDQ SID TDT TMA TOD TRI TXS TXT UNB UNE UNG UNH UNS UNT UNZ VAL',
    '90.2': 'AJT ALC AUT BGM BUS CHD CNT COM CPI CST CTA CUX DCR DGS DIM DLI DMS DOC DTM EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HIN IMD INP LIN LOC MEA MOA NAD PAC PAI PAT PCI PIA QVA RFF SEL SGP TAX TCC TDT TMD TMP TOD TPL TSR UNA UNB UNE UNG UNH UNS UNT UNZ VLN',
    '91.1': 'AGR AJT ALC ALI API AUT BGM BUS CCI CNI CNT COM CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD INP LIN LOC MEA MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA RCS RFF RNG RTE SCC SEL SEQ SGP SPS STA TAX TCC TDT TEM TMD TMP TOD TPL TSR',
    '91.2': 'AJT ALC ALI API AUT BGM BUS CHD CNT COM CPI CST CTA CUX DCR DGS DIM DLI DMS DOC DTM EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN HIN IMD INP LIN LOC LTM MEA MOA NAD PAC PAI PAT PCI PIA QTY QVA RFF SCC SDQ SEL SGP TAX TCC TDT TMD TMP TOD TPL TSR UNB UNE UNG UNH UNS UNT UNZ VLN',
    '92.1': 'AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD IND INP LIN LOC MEA MEM MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS STA STS TAX TCC TDT TEM TMD TMP TOD TPL TSR',
    '93.2': 'ALC ALI API AUT BGM BUS CCI CNI CNT COM CPI CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD INP LIN LOC MEA MOA NAD PAC PAI PAT PCD PCI PGI PIA PRC PRI PSD QTY QVA RCS RFF RNG RTE SCC SEL SEQ SGP SPS STA TAX TCC TDT TEM TMD TMP TOD TPL TSR',
    'D.93A': 'AGR AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD IND INP LIN LOC MEA MEM MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS STA STS TAX TCC TDT TEM TMD TMP TOD TPL TSR',
    'S.93A': 'AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN IMD IND INP LIN LOC MEA MEM MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS STA STS TAX TCC TDT TEM TMD TMP TOD TPL TSR',
    'D.94A': 'AGR AJT ALC ALI API APR ARD ATT AUT BGM BII BUS CCI CNI CNT COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN ICD IMD IND INP INV LIN LOC MEA MEM MKS MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS STA STG STS TAX TCC TDT TEM TMD TMP TOD TPL',
    'D.94B': 'AGR AJT ALC ALI API APR ARD ATT AUT BGM BII CCD CCI COM COT CPI CPS CST CTA CUX DGS DIM DLI DLM DMS DOC DTM EMP EQA EQD EQN ERC ERP FCA FII FTX GDS GID GIN GIR GIS GOR HAN ICD IMD IND INP INV IRQ LIN LOC MEA MEM MKS MOA NAD PAC PAI PAT PCD PCI PGI PIT PRC PRI PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SEL SEQ SGP SPS STA STG STS TAX TCC TDT TEM TMD TMP TOD',
    'D.95A': 'AGR AJT ALC ALI API APR ARD ARR ASI ATT AUT BGM BII BUS CCD CCI CDV CED CNI CNT COD COM COT CPI CPS CST CTA CUX DAM DGS DIM DLI DLM DMS DOC DSI DTM EFI EMP EQA EQD EQN ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR HAN ICD IDE IMD IND INP INV IRQ LIN LOC MEA MEM MKS MOA NAD PAC PAI PAT PCD PCI PGI PIA PIT PRC PSD QTY QVA QVR RCS REL RFF RNG RTE SCC SCD SEL SEQ SGP SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TSR',
    'D.95B': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDS CDV CED CMP CNI CNT COD COM COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QVR RCS REL RFF RNG RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TSR',
    'D.96A': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CMP CNI CNT COD COM COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QVR RCS REL RFF RNG RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPS STA STC STG STS TAX TCC TDT TEM TMD TOD TPL TSR',
    'D.96B': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDS CDV CED CIN CLI CMP CNI CNT COD COM COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSG DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QUA QVR RCS REL RFF RNG RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TRU TSR',
    'D.97A': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT COD COM COT CPI CPS CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSG DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PIT PNA PRC PRI PSD PTY QTY QUA QVR RCS REL RFF RNG RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TRU TSR',
    'D.97B': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT COD COM COT CPI CPS CPT CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP IRQ LAN LIN LOC MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PIT PNA POC PRC PRI PSD PTY QTY QUA QVR RCS REL RFF RNG RSL RTE SAL SCC SCD SEG SEL SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TRU TSR',
    'D.98A': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDS CDV CED CIN CLI CMP CNI CNT COD COM COT CPI CPS CPT CST CTA CUX DAM DGS DII DIM DLI DLM DMS DOC DSG DSI DTM EFI ELM ELU EMP EQA EQD EQN ERC ERP FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCD PCI PDI PGI PIA PNA POC PRC PRI PSD PTY QTY QUA QVR RCS REL RFF RJL RNG RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TRU TSR',
    'D.98B': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT COD COM COT CPI CPS CPT CST CTA CUX DAM DFN DGS DII DIM DLI DLM DMS DOC DRD DSG DSI DTM EDT EFI ELM ELU ELV EMP EQA EQD EQN ERC ERP EVT FCA FII FNS FNT FTX GDS GID GIN GIR GIS GOR GRU HAN HYN IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCC PCD PCI PDI PGI PIA PNA POC PRC PRI PSD PTY QRS QTY QUA QVR RCS REL RJL RNG ROD RSL RTE SAL SCC SCD SEG SEL SEQ SGP SGU SPR SPS STA STC STG STS TCC TDT TEM TMD TMP TOD TPL TRU TSR',
    'D.99A': 'ADR AGR AJT ALC ALI APR ARD ARR ASI ATT AUT BGM BII BUS CAV CCD CCI CDI CDS CDV CED CIN CLI CMP CNI CNT COD COM COT CPI CPS CPT CST CTA CUX DAM DFN DGS DII DIM DLI DLM DMS DOC DRD DSG DSI DTM EDT EFI ELM ELU ELV EMP EQA EQD EQN ERC ERP EVT FCA FII FNS FNT FOR FSQ FTX GDS GID GIN GIR GIS GOR GRU HAN HYN ICD IDE IHC IMD IND INP INV IRQ LAN LIN LOC MEA MEM MKS MOA MSG NAD NAT PAC PAI PAS PAT PCC PCD PCI PDI PGI PIA PNA POC PRC PRI PSD PTY QRS QTY QUA QVR RCS REL RFF RJL RNG ROD RSL RTE SAL SCC SCD SEG SEL SEQ SFI SGP SGU SPR SPS STA STC STG STS TAX TCC TDT TEM TMD TMP TOD TPL TRU TSR',
    'I.96B': 'AAI ADS APD ASD ATI CLT CMN CNX CON CRI DIS ERI FTI HDI IFT ITM MOV MSD NAM NUN ODI ORG PDT PMT RCI RPI RUL SSR TDI TFF TIF TVL',
    'I.97A': 'AAI ADS APD ASD ATI CLT CMN CNX CON CRI DIS ERI FTI HDI IFT ITM MOV MSD NAM NUN ODI ORG PDT PMT RCI RPI RUL SSR TDI TFF TIF TVL',
    'I.97B': 'AAI ADS APD ASD ATI CLT CMN CNX CON CRI CUR DAV DIS ERI FTI HDI IFT ITM LKP MOV MSD NAM NUN ODI ORG PDT PLI PMT PRD RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL',
    'I.98A': 'AAI ADS APD ASD ATI CLT CMN CNX CON CRI CUR DAV DIS ERI FTI HDI IFT ITM LKP MOV MSD NAM NME NUN ODI ORG PDT PLI PMT PRD RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL',
    'I.98B': 'AAI ADS APD ASD ATI CLT CMN CNX CON CRI CUR DAV DIS DTI ERI FTI HDI IFT ITM LKP MOV MSD NAM NME NUN ODI ORG PDT PLI PMT PRD RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL',
    'I.99A': 'AAI ADS ALS APD ASD ATR CLT CMN CNX CRI CUR DAV DIS DTI ERI FTI HDI ICI IFT ITD ITM LKP MOV MSD NAM NME NUN ODI ODS ORG PDT PLI PMT PRD PRE PRO RCI RPI RTC RTI RUL SDT SSR TDI TFF TIF TRF TVL TXS',
}
TAGS = {k: v.split() for k, v in TAGS.items()}

# Data file name of each directory.
FILE = {
    '88.1': '881', '90.2': '902', '91.1': '911', '91.2': '912', '92.1': '921',
    '93.2': '932', 'D.93A': 'D93A', 'S.93A': 'S93A', 'D.94A': 'D94A',
    'D.94B': 'D94B', 'D.95A': 'D95A', 'D.95B': 'D95B', 'D.96A': 'D96A',
    'D.96B': 'D96B', 'D.97A': 'D97A', 'D.97B': 'D97B', 'D.98A': 'D98A',
    'D.98B': 'D98B', 'D.99A': 'D99A', 'I.96B': 'I96B', 'I.97A': 'I97A',
    'I.97B': 'I97B', 'I.98A': 'I98A', 'I.98B': 'I98B', 'I.99A': 'I99A',
}

# Raw UNTDID files: (segment directory, composite directory, element directory).
RAW_BATCH = {
    'D.93A': ('93A/EDSD.93A', '93A/EDCD.93A', '93A/EDED.93A'),
    'D.94A': ('94A/TRSD.94A', '94A/TRCD.94A', '94A/TRED.94A'),
    'D.94B': ('94B/EDSD.94B', '94B/EDCD.94B', '94B/EDED.94B'),
    'D.95A': ('95A/EDSD.95A', '95A/EDCD.95A', '95A/EDED.95A'),
    'D.95B': ('95B/TRSD.95B', '95B/TRCD.95B', '95B/TRED.95B'),
    'D.96A': ('96A/TRSD.96A', '96A/TRCD.96A', '96A/TRED.96A'),
    'D.96B': ('96B/TRSD.96B', '96B/TRCD.96B', '96B/TRED.96B'),
    'D.97A': ('97A/EDSD.97A', '97A/EDCD.97A', '97A/EDED.97A'),
    'D.97B': ('97B/EDSD.97B', '97B/EDCD.97B', '97B/EDED.97B'),
    'D.98A': ('98A/EDSD.98A', '98A/EDCD.98A', '98A/EDED.98A'),
    'D.98B': ('98B/Edsd.98b', '98B/Edcd.98b', '98B/Eded.98b'),
    'D.99A': ('99A/EDSD.99A', '99A/EDCD.99A', '99A/EDED.99A'),
}
RAW_INTERACTIVE = {
    'I.97A': ('97A/IDSD.97A', '97A/IDCD.97A', '97A/EDED.97A'),
    'I.97B': ('97B/IDSD.97B', '97B/IDCD.97B', '97B/EDED.97B'),
    'I.98A': ('98A/IDSD.98A', '98A/IDCD.98A', '98A/EDED.98A'),
    'I.98B': ('98B/Idsd.98b', '98B/Idcd.98b', '98B/Eded.98b'),
    'I.99A': ('99A/IDSD.99A', '99A/IDCD.99A', '99A/EDED.99A'),
}
# The releases after D.99A, in order; each has a batch directory D.<rel> and
# an interactive one I.<rel>, holding every segment of its EDSD and IDSD.
NEW_RELEASES = ['99B'] + [f'{y:02d}{h}' for y in range(0, 23) for h in 'AB'] + ['23A', '24A']
NEW_RELEASES.remove('01B')
NEW_RELEASES.insert(NEW_RELEASES.index('02A'), '01B')
NEW_RELEASES.insert(NEW_RELEASES.index('02A'), '01C')
NEW_DIRECTORIES = set()
for _rel in NEW_RELEASES:
    # D.23A ships the composite directory of D.22B under that name.
    _cd = '23A/EDCD.22B' if _rel == '23A' else f'{_rel}/EDCD.{_rel}'
    RAW_BATCH['D.' + _rel] = (f'{_rel}/EDSD.{_rel}', _cd, f'{_rel}/EDED.{_rel}')
    RAW_INTERACTIVE['I.' + _rel] = (f'{_rel}/IDSD.{_rel}', f'{_rel}/IDCD.{_rel}', f'{_rel}/EDED.{_rel}')
    FILE['D.' + _rel] = 'D' + _rel
    FILE['I.' + _rel] = 'I' + _rel
    NEW_DIRECTORIES.update(('D.' + _rel, 'I.' + _rel))

# Derived CSV tables (edi4r-tdid): folder and version/release suffix.
CSV = {
    '90.2': ('90.2/edi4r-tdid-csv', '1902'),
    '91.1': ('91.1/edi4r-tdid-csv', '1911'),
    '92.1': ('92.1/edi4r-tdid-csv', '1921'),
    '93.2': ('93.2/edi4r-tdid-csv', '2932'),
}

# ---------------------------------------------------------------------------
# Fixed rows.

# 88.1: the program reads 88.1 segments with these layouts, in which the data
# elements of many segments are merged into one data element whose components
# are all the fields of the segment (UNB as one data element of 18
# components, NAD as two data elements).  EDSD881.ASC lists the same fields
# in the same order, split into their own data elements.
ROWS_881 = [
    "ACT++A3:A3:N15'",
    "ALC++A3+A1+A35+A3+A6:A2:A2:N15:N9:A3:N15:N7:A3:N15:A3'",
    "ALI++A2+A8+A2+A2+A2+A2+A2'",
    "API++A2+N15:A2:N9:A3:N12:A3:N15:N15:A3:N6:N6:A3:N5:N5'",
    "BGM++N3:A35:A35:N6:N4:N2:A35:A3:N6:N4'",
    "CNT++A3:N15:A3:A3:N15:A3:A3:N15:A3:A3:N15:A3:A3:N15:A3'",
    "CTA++A2+A17:A35:A25:A3:A25:A3:A25:A3:A25:A3:A25:A3'",
    "CUX++A3:A3:A3:A3:N12:A3:A3:N6:N4:A3'",
    "DOC++N3:A35:A3:N2'",
    "DTM++A3+N6+N4+A3'",
    "FII++A3+A17:A35:A35:A11:A2:A17:A35:A17'",
    "FTX++A3+A2+A3:A2:A70:A70:A70:A70:A70'",
    "GIN++A3+A35:A35:A35:A35:A35:A35:A35:A35:A35:A35'",
    "GIR++A35:A3:A35:A3:A35:A3:A35:A3:A35:A3:A35:A3:A35:A3:A35:A3:A35:A3:A35:A3'",
    "IMD++A3+A3+A7:A2:A35:A35:A35:A35:A35:A2'",
    "LIN++N6+N2+A35:A3:A35:A3:A3:N15:A3:N15:A2:N9:A3:N9:N15:N15:A3:N9:A3:N7'",
    "LOC++A3+A25:A2:A17:A17'",
    "MEA++A3+A3+A3:N15:N15:N15:A2:A2'",
    "NAD++A3+A17:A2:A35:A35:A35:A35:A35:A35:A35:A35:A35:A35:A35:A35:A9:A9:A2'",
    "PAC++N6+N2+A4:A2:A17:A3:A2'",
    "PAI++A3+A2+A2+A2'",
    "PAT++A2+A17:A2:N6:A3:A3:N2:A3:N3:N7:A3:N5:N15:N7:A35:A35:A35:A35:A35'",
    "PCI++A2+A35:A35:A35:A35:A35:A35:A35:A35:A35:A35:A35:A3:N6:A3'",
    "PIA++A35:A3:A35:A3:A35:A3:A35:A3:A35:A3'",
    "PRP++N15+N15'",
    "QVA++A3:N15:A3:A2:N15:A2:A35'",
    "RFF++A3+A35:A6:N6:N4'",
    "SDQ++A3+A3+A13:N15:A13:N15:A13:N15:A13:N15:A13:N15:A13:N15:A13:N15:A13:N15:A13:N15:A13:N15'",
    "SID++N6+N2+A35:A3:A35:A3:A3:N15:A3:N15:A2:N9:A3:N9:N15:N15:A3:N9:A3:N7:N2:A1:A1'",
    "TDT++A3+A17+A3:A17:A17:A5:A35:A17:A2:A35'",
    "TMA++N15+N15+N15+N15+N15+N15+N15'",
    "TOD++A2+A2+A3:A2:A3:A25:A2:A17:A3:A25:A2:A17:A70:A70:A70:A70:A70'",
    "TRI++A3:A35:A3:A17:N15:A20'",
    "TXS++A3:A35:A3:A17:N15:N15'",
    "TXT++A3+A70'",
    "UNB++A4:N1:A35:A2:A14:A35:A2:A14:N6:N4:A14:A14:A2:A14:A1:N1:A35:N1'",
    "UNE++N6+A14'",
    "UNG++A6+A35:A2:A35:A2:N6:N4:A14:A2:N3:N3:A6:A14'",
    "UNH++A14+A6:N3:N3:A2:A6:A35:N2:A1'",
    "UNS++A1'",
    "UNT++N6+A14'",
    "UNZ++N6+A14'",
    "VAL++A3+N5:A3'",
]

# Default segment table rows that are not D.95B texts: the service segments
# of syntax versions 1 to 3 (UN*, UC*, US*), the short ARR, the NAD and RFF
# layouts that precede D.95B, and TXC/TXT.  The service data elements of
# fixed numeric length in ISO 9735 (0002 n1, 0017 n6, 0019 n4, 0031 n1,
# 0035 n1) are "n"; USH and UST keep their "n2" of old.
ROWS_DEFAULT_OWN = [
    "ARR++A12:A6+A35'",
    "NAD++A3+A17:A3:A3+A35:A35:A35:A35:A35+A35:A35:A35+A35:A35:A35+A35+A9+A9+A3'",
    "RFF++A3:A35:A6'",
    "TXC++A3:A3:A3:A35'",
    "TXT++A3+A70'",
    "UNB++A4:n1+A35:A4:A14+A35:A4:A14+n6:n4+A14+A14:A2+A14+A1+n1+A35+n1'",
    "UNG++A6+A35:A4+A35:A4+n6:n4+A14+A2+A3:A3:A6+A14'",
    "UNH++A14+A6:A3:A3:A2:A6+A35+N2:A1'",
    "UNS++A1'",
    "UNT++N6+A14'",
    "UNE++N6+A14'",
    "UNZ++N6+A14'",
    "UCD++N3:N2+N2'",
    "UCI++A35:A4:A14+A35:A4:A14+A14+A2+N2'",
    "UCM++A14:A35+A6:N3:N3:A2:A6'",
    "UCR++N5+N2'",
    "UCX++A2+N2'",
    "USA++A3:A3:A3:A3:A3+A512:A3+A512:A3+A512:A3+A512:A3+A512:A3'",
    "USB++A3+A3+A3:N8:N6:A5+A128+A35:A4:A14+A35:A4:A14'",
    "USC++A35+A3:A35:A17:A3:A3:A35:A35:A35+A3:A35:A17:A3:A3:A35:A35:A35+A3+A3+A3+A3+A35+A4:A3+A4:A3+A4:A3+A4:A3+A3:N8:N6:A5+A3:N8:N6:A5+A3:N8:N6:A5'",
    "USH++A3+A3+n2+A3+A3+A3+A3+A3+A3:A35:A17:A3:A3:A35:A35:A35+A3:A35:A17:A3:A3:A35:A35:A35+A35+A3:N8:N6:A5'",
    "USR++A256:A256'",
    "UST++n2'",
    "USX++A14+A14+A3:N8:N6:A5'",
    "USY++N2+A128:A128+A3'",
]
SERVICE_90 = ['UNB', 'UNG', 'UNH', 'UNT', 'UNE', 'UNZ', 'UNS']

# S.93A (and 92.1) differ from D.93A in two rows: in the 92.1 composite
# directory (trcd.921) C214 has no component 7160, and C214 is used by ALC
# and DLM.  build() checks these rows against trcd.921.
S93A_ALC = "ALC++A3+A35:A3+A3+A3+A3:A3:A3'"
S93A_DLM = "DLM++A3+A3:A3:A3:A3:A35+A3:A3:A3+A3'"


def i96b_tvl(i97a_tvl):
    """I.96B TVL: the I.97A row with its sixth data element (1082) numeric,
    n..6, as published for the 1996 interactive release."""
    parts = i97a_tvl.split('+')
    if parts[7] != 'A6':
        raise ValueError(f'I.97A TVL: sixth data element is {parts[7]}, not A6')
    parts[7] = 'N6'
    return '+'.join(parts)


def fixed_numbers(row, raw):
    """A fixed row with "n" wherever the raw segment of its tag has the same
    fields (letters and lengths, either case) and gives a fixed-length number."""
    tag = row[:3]
    if tag not in raw:
        return row
    theirs = def_fields(definition(tag, raw[tag]))
    ours = def_fields(row)
    if [f.upper() for f in theirs] != [f.upper() for f in ours]:
        return row
    out, i = [], 0
    for piece in re.split(r'([+:])', row[4:-1]):
        if piece in ('+', ':') or piece == '':
            out.append(piece)
        else:
            out.append(theirs[i])
            i += 1
    return row[:4] + ''.join(out) + "'"

# ---------------------------------------------------------------------------
# Reading the raw UNTDID text files.

FMT = re.compile(r'^(a|an|n)(\.\.)?(\d+)$')
SEP = re.compile('^\\s*(?:[\u2500]{20,}|-{20,})\\s*$')
SEG_HEADER = re.compile(r'^[\s+*#|X-]*?([A-Z]{3})\s{2,}([A-Z][A-Z0-9 ,/()&.\'-]*)$')
# EDSD881.ASC: segment entries carry the issue in their header line.
SEG_HEADER_881 = re.compile(r'^  ([A-Z]{3})  ([A-Z].*?)\s+88\.1$')
ITEM = re.compile(r'^[\s+*#|X-]*?(?P<pos>\d{3})?[\s+*#|X-]*?(?P<tag>[A-Z0-9]\d{3})\s+(?P<rest>.*)$')
MAX_TAG_COLUMN = 7  # deeper indented lines belong to notes


def field_specifier(fmt):
    """Field specifier of a UN format: an..35 -> A35, n..18 -> N18, a3 -> A3,
    n6 -> n6 (a number of fixed length)."""
    m = FMT.match(fmt)
    if not m:
        raise ValueError(f'unknown format {fmt!r}')
    if m.group(1) == 'n':
        return ('N' if m.group(2) else 'n') + m.group(3)
    return 'A' + m.group(3)


def read_lines(path):
    with open(path, 'rb') as f:
        return f.read().decode('cp437').replace('\r', '').split('\n')


def blocks_of(lines):
    """Split a directory file at its separator lines."""
    out, cur = [], []
    for ln in lines:
        if SEP.match(ln):
            out.append(cur)
            cur = []
        else:
            cur.append(ln)
    out.append(cur)
    return out


def item_match(ln):
    m = ITEM.match(ln)
    if m and m.start('tag') <= MAX_TAG_COLUMN:
        return m
    return None


def parse_segment_directory(path, header=SEG_HEADER, names=None):
    """{tag: [(element tag, [field, ...]), ...]} from a raw segment directory.

    With a dict `names`, also records for every tag the segment name and, per
    data element, its tag and name and the tags and names of its components:
    names[tag] = (segment name, [(element tag, name, [(tag, name), ...]), ...]),
    the component list empty for a simple data element.

    Top-level data elements are told from components by their position
    number (010, 020, ...) or their upper-case names (components have
    mixed-case names; a data element marked deleted keeps its line but loses
    its position number, as 5495 in D.95A LIN).  Blank lines are not relied
    upon: they appear inside composites and are missing between them.
    """
    out = {}
    for block in blocks_of(read_lines(path)):
        tag = None
        start = 0
        for start, ln in enumerate(block):
            m = header.match(ln)
            if m:
                tag = m.group(1)
                title = m.group(2).strip()
                break
        if tag is None:
            continue
        items = []
        j = start + 1
        while j < len(block):
            ln = block[j]
            j += 1
            m = item_match(ln)
            if not m or re.match(r'^\s*(Note|Function)\b', ln):
                continue
            toks = m.group('rest').split()
            while True:  # a long name may push the status to the next line
                t = list(toks)
                fmt = status = None
                if t and t[-1] in ('Start', 'End'):
                    t.pop()  # group remarks of EDSD881.ASC
                if t and FMT.match(t[-1]):
                    fmt = t.pop()
                if t and t[-1].isdigit():
                    t.pop()  # repeat count of the interactive directories
                if t and t[-1] in ('M', 'C'):
                    status = t.pop()
                if status:
                    break
                if j < len(block) and block[j].strip() and not item_match(block[j]):
                    toks += block[j].split()
                    j += 1
                else:
                    raise ValueError(f'{path}: {tag}: unreadable line {ln!r}')
            items.append((m.group('pos'), m.group('tag'), ' '.join(t), fmt, ln))
        if not items:
            raise ValueError(f'{path}: {tag}: no data elements')
        elements = []
        named = []
        simple = False
        for pos, etag, name, fmt, ln in items:
            top = bool(pos) or not re.search('[a-z]', name)
            if top:
                elements.append((etag, [field_specifier(fmt)] if fmt else []))
                named.append((etag, name, []))
                simple = bool(fmt)
            else:
                if not elements or simple:
                    raise ValueError(f'{path}: {tag}: component outside a composite: {ln!r}')
                if not fmt:
                    raise ValueError(f'{path}: {tag}: component without format: {ln!r}')
                elements[-1][1].append(field_specifier(fmt))
                named[-1][2].append((etag, name))
        for etag, fields in elements:
            if not fields:
                raise ValueError(f'{path}: {tag}: composite {etag} without components')
        if tag in out:
            raise ValueError(f'{path}: {tag} defined twice')
        out[tag] = elements
        if names is not None:
            names[tag] = (title, named)
    return out


COMPOSITE_HEADER = re.compile(r'^[\s+*#|X-]*(?:\d{3}\s+)?([CES]\d{3})\s+([A-Z][^a-z]*)$')
COMPONENT_START = re.compile(r'^[\s+*#|X-]*?(?:\d{3})?[\s+*#|X-]*?(\d{4})\s+\S')
COMPONENT = re.compile(r'^[\s+*#|X-]*?(?:\d{3})?[\s+*#|X-]*?(\d{4})\s+(.*?)\s+([MC])\s+(an?\.\.\d+|an?\d+|n\.\.\d+|n\d+)\s*$')


def parse_composite_directory(path, names=None):
    """{composite tag: [field, ...]} from a raw composite directory.

    With a dict `names`, also records names[composite tag] = [(component
    tag, name), ...]."""
    out = {}
    for block in blocks_of(read_lines(path)):
        cur = None
        pending = None
        for ln in block:
            if cur is None:
                m = COMPOSITE_HEADER.match(ln)
                if m:
                    cur = m.group(1)
                    out[cur] = []
                    if names is not None:
                        names[cur] = []
                continue
            m = COMPONENT.match(ln)
            if not m and pending is not None:
                # A long name continues on this line, with status and format.
                m = COMPONENT.match(pending + ' ' + ln.strip())
                if m and m.start(1) > MAX_TAG_COLUMN:
                    m = None
            pending = None
            if m and m.start(1) <= MAX_TAG_COLUMN:
                out[cur].append(field_specifier(m.group(4)))
                if names is not None:
                    names[cur].append((m.group(1), re.sub(r'\s+', ' ', m.group(2))))
            elif (s := COMPONENT_START.match(ln)) and s.start(1) <= MAX_TAG_COLUMN:
                pending = ln.rstrip()
    return out


ELEMENT_HEADER = re.compile(r'^[\s+*#|X-]*(\d{4})\s+(\S.*?)\s*(?:\[[A-Z]\])?\s*$')
REPR = re.compile(r'^\s*Repr:\s*(\S+)')


def parse_element_directory(path, names=None):
    """{element tag: field} from a raw element directory ("Repr:" lines).

    With a dict `names`, also records names[element tag] = name."""
    out = {}
    for block in blocks_of(read_lines(path)):
        cur = None
        for ln in block:
            if cur is None:
                m = ELEMENT_HEADER.match(ln)
                if m:
                    cur = m.group(1)
                    if names is not None:
                        names[cur] = m.group(2)
                continue
            m = REPR.match(ln)
            if m:
                out[cur] = field_specifier(m.group(1))
                break
    return out


# ---------------------------------------------------------------------------
# Reading the derived CSV tables.

def read_csv_directory(folder, suffix, prefix='E', names=None):
    """Segments, composites and elements of a derived CSV directory (prefix
    'E' for EDSD/EDCD/EDED, 'S' for the service directories SDSD/SDCD/SDED).
    With a dict `names`, also records the names of the segments (key
    'segments') and of the elements (key 'elements')."""
    def records(kind):
        with open(os.path.join(folder, f'{prefix}{kind}.{suffix}.csv'), encoding='latin-1') as f:
            for ln in f:
                p = ln.rstrip('\r\n').split(';')
                if p and p[0]:
                    yield p
    elements = {}
    for p in records('DED'):
        elements[p[0]] = p[1]
        if names is not None:
            names.setdefault('elements', {})[p[0]] = p[3]
    composites = {}
    for p in records('DCD'):
        g = p[2:]
        composites[p[0]] = [(g[i + 1], g[i + 3]) for i in range(0, len(g) - 3, 4)]
    segments = {}
    for p in records('DSD'):
        g = p[2:]
        segments[p[0]] = [(g[i + 1], int(g[i + 3] or 1)) for i in range(0, len(g) - 3, 4)]
        if names is not None:
            names.setdefault('segments', {})[p[0]] = p[1]
    return segments, composites, elements


def csv_entries(tag, segments, composites, elements, element_names):
    """The data elements of one segment of a CSV directory, repeated ones
    written out as often as they repeat: ('S', element, name, field) or
    ('C', composite, [(element, name, field), ...])."""
    out = []
    for etag, rep in segments[tag]:
        for _ in range(rep):
            if etag in composites:
                out.append(('C', etag, [(c, element_names.get(c, ''), field_specifier(f))
                                        for c, f in composites[etag]]))
            else:
                out.append(('S', etag, element_names.get(etag, ''), field_specifier(elements[etag])))
    return out


def entry_fields(entry):
    return [entry[3]] if entry[0] == 'S' else [f for _, _, f in entry[2]]


def csv_rows(folder, suffix):
    """{tag: [(element tag, [field, ...]), ...]} from a CSV segment directory."""
    segments, composites, elements = read_csv_directory(folder, suffix)
    return {tag: [(e[1], entry_fields(e)) for e in csv_entries(tag, segments, composites, elements, {})]
            for tag in segments}


# ---------------------------------------------------------------------------
# Definitions.

def definition(tag, elements):
    return tag + '+' + ''.join('+' + ':'.join(fields) for _, fields in elements) + "'"


def arr_definition(first_fields):
    """ARR: the position element, then C770 100 times with 9424 100 times."""
    cell = ':'.join(['A35'] * 100)
    return 'ARR++' + ':'.join(first_fields) + ''.join('+' + cell for _ in range(100)) + "'"


WARNINGS = []


def warn(msg):
    WARNINGS.append(msg)


def cross_check(name, segs, composites, elements, tags):
    """Compare each segment's fields with the composite and element directories."""
    for tag in tags:
        for etag, fields in segs[tag]:
            if etag[0] in 'CES':
                want = composites.get(etag)
            else:
                want = [elements[etag]] if etag in elements else None
            if want is None:
                warn(f'{name} {tag}: {etag} not in the composite/element directory')
            elif want != fields:
                warn(f'{name} {tag}: {etag} is {":".join(fields)} in the segment directory, '
                     f'{":".join(want)} in the composite/element directory')


def pick(name, segs):
    missing = [t for t in TAGS[name] if t not in segs]
    if missing:
        raise ValueError(f'{name}: tags missing from the source: {missing}')
    return {t: definition(t, segs[t]) for t in TAGS[name]}


def new_release_notes(name, sd, cd):
    kind = 'interactive ' if name[0] == 'I' else ''
    return [f'Transcribed from the raw {os.path.basename(sd)} (UNTDID {kind}{name}): every segment of',
            'that file, those marked for deletion included; composites checked against',
            f'{os.path.basename(cd)}. A data element that a segment repeats is transcribed once.']


def build(src):
    rows = {}
    notes = {}
    src_path = lambda p: os.path.join(src, p)

    # Batch directories D.93A to D.99A: raw segment directories.
    raw = {}
    for name, (sd, cd, ed) in RAW_BATCH.items():
        segs = parse_segment_directory(src_path(sd))
        raw[name] = segs
        if name in NEW_DIRECTORIES:
            TAGS[name] = sorted(segs)
        comps = parse_composite_directory(src_path(cd))
        els = parse_element_directory(src_path(ed))
        cross_check(name, segs, comps, els,
                    [t for t in TAGS[name] if t != 'ARR' or name in NEW_DIRECTORIES])
        rows[name] = pick(name, segs)
        if name in NEW_DIRECTORIES:
            notes[name] = new_release_notes(name, sd, cd)
            continue
        extra = sorted(set(segs) - set(TAGS[name]))
        notes[name] = [f'Transcribed from the raw {os.path.basename(sd)} (UNTDID {name}).',
                       f'Segments of that file not held here: {" ".join(extra) or "none"}.']
        if 'ARR' in TAGS[name]:
            first = segs['ARR'][0][1]
            rows[name]['ARR'] = arr_definition(first)
            notes[name].append('ARR: element C778 (' + ':'.join(first) + '), then composite C770 '
                               '100 times, each with component 9424 (an..35) 100 times, as the '
                               'segment note of the directory says.')

    # Interactive directories I.97A to I.99A: raw IDSD, elements in EDED.
    for name, (sd, cd, ed) in RAW_INTERACTIVE.items():
        segs = parse_segment_directory(src_path(sd))
        if name in NEW_DIRECTORIES:
            TAGS[name] = sorted(segs)
        comps = parse_composite_directory(src_path(cd))
        els = parse_element_directory(src_path(ed))
        cross_check(name, segs, comps, els, TAGS[name])
        rows[name] = pick(name, segs)
        if name in NEW_DIRECTORIES:
            notes[name] = new_release_notes(name, sd, cd)
            continue
        extra = sorted(set(segs) - set(TAGS[name]))
        notes[name] = [f'Transcribed from the raw {os.path.basename(sd)} (interactive UNTDID '
                       f'{name}); repeat counts ignored.',
                       f'Segments of that file not held here: {" ".join(extra) or "none"}.']

    # I.96B: no copy of the 1996 interactive directory is available.
    rows['I.96B'] = {t: rows['I.97A'][t] for t in TAGS['I.96B']}
    rows['I.96B']['TVL'] = i96b_tvl(rows['I.97A']['TVL'])
    COPIED_FROM['I.96B'] = {t: 'I.97A' for t in TAGS['I.96B']}
    notes['I.96B'] = [
        'No copy of the D.96B interactive directory (TISD.96B) is available.',
        'Same segments as I.97A; every row is the I.97A text except TVL, whose sixth',
        'data element (1082) is numeric (N6) in this release.']

    # 92.1 and S.93A: the rows of D.93A without AGR, with the 92.1 forms of
    # ALC and DLM.
    d93a = rows['D.93A']
    s = {t: d93a[t] for t in TAGS['S.93A']}
    s['ALC'] = S93A_ALC
    s['DLM'] = S93A_DLM
    rows['S.93A'] = dict(s)
    rows['92.1'] = dict(s)
    csv921 = csv_rows(src_path(CSV['92.1'][0]), CSV['92.1'][1])
    trcd921 = parse_composite_directory(src_path('92.1/trcd.921'))
    tred921 = parse_element_directory(src_path('92.1/tred.921'))
    # Check: the D.93A segment layouts filled from the 92.1 composite and
    # element directories give exactly these rows.
    for t in TAGS['92.1']:
        filled = []
        for etag, fields in raw['D.93A'][t]:
            filled.append((etag, trcd921[etag] if etag[0] == 'C' else [tred921[etag]]))
        if definition(t, filled) != s[t]:
            warn(f'92.1 {t}: D.93A layout with 92.1 composites gives {definition(t, filled)}')
        if definition(t, csv921[t]) != s[t]:
            warn(f'92.1 {t}: derived CSV has {definition(t, csv921[t])}')
    common = ['the D.93A segment layouts (raw EDSD.93A) without AGR; in ALC and DLM',
              'composite C214 has no component 7160, as in the 92.1 composite directory',
              '(trcd.921). Every row equals the D.93A layout filled from trcd.921 and tred.921.']
    notes['S.93A'] = ['The rows of 92.1: ' + common[0]] + common[1:] + [
                      'The derived CSV (edi4r-tdid EDSD.s93a) agrees except ATT and PAT, where its',
                      'converter dropped composites C956 and C110 (no blank line before them in',
                      'the raw file; both composites are left unused in its EDCD).']
    notes['92.1'] = ['Built from ' + common[0]] + common[1:] + [
                     'The derived CSV (edi4r-tdid EDSD.1921) agrees except ATT and PAT, where its',
                     'converter dropped composites C956 and C110 (no blank line before them in',
                     'the raw file; both composites are left unused in its EDCD).']

    # 93.2 and 91.1: derived CSV, composites checked against raw files.
    for name in ('93.2', '91.1'):
        folder, suffix = CSV[name]
        segs = csv_rows(src_path(folder), suffix)
        rows[name] = pick(name, segs)
    edcd932 = parse_composite_directory(src_path('93.2/edcd.932'))
    eded932 = parse_element_directory(src_path('93.2/eded.932'))
    segs932 = csv_rows(src_path(CSV['93.2'][0]), CSV['93.2'][1])
    cross_check('93.2', segs932, edcd932, eded932, TAGS['93.2'])
    notes['93.2'] = [
        'Derived CSV edi4r-tdid EDSD/EDCD/EDED.2932 (no raw 93.2 segment directory exists).',
        'Every composite and element format agrees with the raw edcd.932 and eded.932.',
        'AJT of the CSV is not held here.']
    notes['91.1'] = [
        'Derived CSV edi4r-tdid EDSD/EDCD/EDED.1911 (no raw 91.1 directory exists).']

    # 90.2: derived CSV plus the service segments.
    folder, suffix = CSV['90.2']
    segs902 = csv_rows(src_path(folder), suffix)
    own = {r[:3]: r for r in ROWS_DEFAULT_OWN}
    r902 = {t: definition(t, segs902[t]) for t in TAGS['90.2'] if t in segs902}
    for t in SERVICE_90:
        r902[t] = own[t]
    r902['UNA'] = "UNA+'"
    rows['90.2'] = {t: r902[t] for t in TAGS['90.2']}
    notes['90.2'] = [
        'Derived CSV edi4r-tdid EDSD/EDCD/EDED.1902 (no raw 90.2 directory exists); repeated',
        'composites (MOA, CNT, COM, PAI, ERC ...) are written out as often as the CSV repeats them.',
        'Service segments UNB UNG UNH UNT UNE UNZ UNS: the texts of the default segment table',
        '(syntax version 1). UNA: the tag alone.']

    # 88.1: fixed layouts, with the numbers of fixed length that EDSD881.ASC
    # gives wherever it lists the same fields.
    raw881 = parse_segment_directory(src_path('88.1/EDSD881.ASC'), SEG_HEADER_881)
    rows['88.1'] = {r[:3]: fixed_numbers(r, raw881) for r in ROWS_881}
    notes['88.1'] = [
        'UN 88.1 segments as the program reads them: the data elements of many segments',
        'merged into one data element whose components are all the fields of the segment,',
        'in the order of EDSD881.ASC. Kept as a fixed table in tools/transcribe/transcribe.py;',
        'a field is "n" where EDSD881.ASC gives a numeric format of fixed length.']

    # 91.2
    rows['91.2'], notes['91.2'] = build_912(rows, src)

    # Default segment table: all D.95B tags with their D.95B texts, then the
    # service segments and the rows of its own.
    d = dict(rows['D.95B'])
    for r in ROWS_DEFAULT_OWN:
        d[r[:3]] = r
    rows['default'] = d
    COPIED_FROM['default'] = {t: 'D.95B' for t in rows['D.95B'] if d[t] == rows['D.95B'][t]}
    notes['default'] = [
        'Default segment table: every segment of D.95B with its D.95B text, except ARR (short',
        'form), NAD and RFF (layouts of 91.1/93.2); plus TXC, TXT and the service segments of',
        'syntax versions 1 to 3 (UNB UNG UNH UNS UNT UNE UNZ, UCD UCI UCM UCR UCX,',
        'USA USB USC USH USR UST USX USY). "n" marks fields kept at full width (USH, UST).']
    return rows, notes


# The row each row of the approximated tables (91.2, I.96B, the default
# table) was copied from: {table: {tag: directory name or None}}; filled by
# build() and used for the names of those rows.
COPIED_FROM = {}


# 91.2 LTM: the tag is listed for 91.2 but its layout is published in no
# available source (no 91.2 directory exists, and no other release has it).
# It is held as a generic segment of five data elements of five an..35
# components, so that an LTM segment of that size is read whole instead of
# being scanned byte by byte.
LTM_GENERIC = 'LTM+' + '+A35:A35:A35:A35:A35' * 5 + "'"


def build_912(rows, src):
    """91.2: no segment directory of this release exists in any form.

    It belongs to the family of 90.2 (the composites of MOA, CNT, COM, PAI and
    ERC written five times, the same service segments), so a tag that 90.2
    has keeps its 90.2 text.  NAD has the 91.1 layout (C080 with three
    components).  Tags that 90.2 lacks take the text of the next release that
    has them: 91.1 (ALI, API, HAN, QTY, SCC); SDQ exists only in 88.1, so it is
    transcribed from EDSD881.ASC by the same rule as every other row.
    """
    r902, r911 = rows['90.2'], rows['91.1']
    raw881 = parse_segment_directory(os.path.join(src, '88.1/EDSD881.ASC'), SEG_HEADER_881)
    out, how = {}, {}
    origin = COPIED_FROM.setdefault('91.2', {})
    for t in TAGS['91.2']:
        if t == 'NAD':
            out[t], how[t] = r911[t], '91.1 (the NAD layout known for 91.2, which 91.1 and 93.2 also use)'
            origin[t] = '91.1'
        elif t in r902:
            out[t], how[t] = r902[t], '90.2'
            origin[t] = '90.2'
        elif t in r911:
            out[t], how[t] = r911[t], '91.1'
            origin[t] = '91.1'
        elif t in raw881:
            out[t], how[t] = definition(t, raw881[t]), '88.1 (raw EDSD881.ASC, one field per element/component)'
            origin[t] = '88.1'
        elif t == 'LTM':
            out[t], how[t] = LTM_GENERIC, 'no published layout anywhere; generic, five data elements of five A35'
            origin[t] = None
    missing = [t for t in TAGS['91.2'] if t not in out]
    if missing:
        raise ValueError(f'91.2: no source for {missing}')
    notes = [
        'No 91.2 segment directory exists in any form: this table is an approximation.',
        '91.2 belongs to the family of 90.2 (composites of MOA CNT COM PAI ERC written five',
        'times; service segments with the default table texts), so every tag that 90.2 has',
        'keeps its 90.2 text, except NAD, which has the 91.1 layout. Tags that 90.2 lacks',
        'take the text of the nearest release that has them. Row by row:']
    groups = {}
    for t in TAGS['91.2']:
        groups.setdefault(how[t], []).append(t)
    for src_name, tags in groups.items():
        notes.append(f'  {src_name}: {" ".join(tags)}')
    return out, notes


# ---------------------------------------------------------------------------
# Names of the fields of every row.
#
# For each row: the directory whose UN files give the names (the table
# itself, or for a copied row the row it was copied from), the segment name
# and one entry per data element of the UN segment, in segment order:
#   ('S', element tag, name, field)                      a simple data element
#   ('C', composite tag, [(element tag, name, field)])   a composite
# Flattened, the entries give one (composite, position, element, name) per
# field specifier of the row's definition.  Names are only attached where the
# source reproduces the row field for field; other rows are listed as rows
# without names.

def def_fields(text):
    """The field specifiers of a definition, without their lead characters."""
    return re.findall(r'[+:]([AaNn]\d+)', text[4:])


def flat(entries):
    out = []
    for e in entries:
        if e[0] == 'S':
            out.append(('', 0, e[1], e[2], e[3]))
        else:
            for pos, (etag, name, layout) in enumerate(e[2], 1):
                out.append((e[1], pos, etag, name, layout))
    return out


def entries_from_segment(elements, named, element_names):
    """Entries of one segment of a raw segment directory; element names from
    the element directory where it has them."""
    out = []
    for (etag, layouts), (_, name, comps) in zip(elements, named):
        if comps:
            out.append(('C', etag, [(c, element_names.get(c, cn), f)
                                     for (c, cn), f in zip(comps, layouts)]))
        else:
            out.append(('S', etag, element_names.get(etag, name), layouts[0]))
    return out


def csv_source(folder, suffix, prefix='E'):
    """A function tag -> (segment name, entries) or None over a CSV directory."""
    names = {}
    segments, composites, elements = read_csv_directory(folder, suffix, prefix, names)
    element_names = names['elements']

    def lookup(tag):
        if tag not in segments:
            return None
        return names['segments'][tag], csv_entries(tag, segments, composites, elements, element_names)
    return lookup


def raw_source(seg_path, element_path, header=SEG_HEADER, composite_path=None):
    """A function tag -> (segment name, entries) or None over a raw directory.

    With composite_path, the composites of the segment take their components
    from that composite directory (92.1: the D.93A segment layouts filled
    from trcd.921)."""
    seg_names = {}
    segs = parse_segment_directory(seg_path, header, seg_names)
    element_names = {}
    elements = parse_element_directory(element_path, element_names) if element_path else {}
    comp_names = {}
    comps = parse_composite_directory(composite_path, comp_names) if composite_path else {}

    def lookup(tag):
        if tag not in segs:
            return None
        title, named = seg_names[tag]
        if not comps:
            return title, entries_from_segment(segs[tag], named, element_names)
        out = []
        for etag, _, _ in named:
            if etag[0] in 'CES' and etag in comps:
                out.append(('C', etag, [(c, element_names.get(c, cn), f)
                                        for (c, cn), f in zip(comp_names[etag], comps[etag])]))
            else:
                out.append(('S', etag, element_names.get(etag, ''), elements[etag]))
        return title, out
    return lookup


def arr_entries(entries, cells=100):
    """ARR as the catalogue holds it: element C778, then C770 100 times with
    its component 9424 100 times."""
    first, c770 = entries[0], entries[1]
    cell = c770[2][0]
    return [first] + [('C', c770[1], [cell] * cells)] * cells


def build_names(src, rows):
    """{table: {tag: (source, segment name, entries) or None}} and notes."""
    p = lambda *a: os.path.join(src, *a)
    sources = {}
    for name, (sd, cd, ed) in list(RAW_BATCH.items()) + list(RAW_INTERACTIVE.items()):
        sources[name] = raw_source(p(sd), p(ed))
    sources['88.1'] = raw_source(p('88.1/EDSD881.ASC'), None, SEG_HEADER_881)
    for name in ('90.2', '91.1', '93.2'):
        sources[name] = csv_source(p(CSV[name][0]), CSV[name][1])
    sources['92.1'] = raw_source(p(RAW_BATCH['D.93A'][0]), p('92.1/tred.921'), composite_path=p('92.1/trcd.921'))
    sources['S.93A'] = sources['92.1']
    service = [(f'ISO 9735 v{v}', csv_source(p('service-segments/edi4r-iso9735-csv'), f'{v}0000', 'S'))
               for v in (3, 2, 1)]

    names, notes = {}, {}
    unnamed = {}

    def own(table, tag, lookup, label=None):
        found = lookup(tag)
        if found is None:
            return None
        title, entries = found
        if tag == 'ARR' and len(def_fields(rows[table][tag])) > 1000:
            entries = arr_entries(entries)
        if [f[4] for f in flat(entries)] != def_fields(rows[table][tag]):
            return None
        return (label or table, title, entries)

    def from_service(table, tag, oldest_first=False):
        for label, lookup in (service[::-1] if oldest_first else service):
            got = own(table, tag, lookup, label)
            if got:
                return got
        return None

    order = ['88.1', '90.2', '91.1', '92.1', '93.2', 'D.93A', 'S.93A'] + \
            [n for n in RAW_BATCH if n != 'D.93A'] + list(RAW_INTERACTIVE)
    for table in order:
        names[table] = {}
        for tag in sorted(rows[table]):
            got = own(table, tag, sources[table])
            if got is None and table == '90.2':
                got = from_service(table, tag, True) if tag != 'UNA' else ('ISO 9735', UNA_NAME, [])
            names[table][tag] = got

    def copy(table, tag, origin):
        got = names[origin].get(tag)
        if got and len(flat(got[2])) == len(def_fields(rows[table][tag])):
            return got
        return None

    names['I.96B'] = {t: copy('I.96B', t, o) for t, o in COPIED_FROM['I.96B'].items()}
    names['91.2'] = {t: copy('91.2', t, o) if o else None for t, o in COPIED_FROM['91.2'].items()}
    d = {}
    for tag in sorted(rows['default']):
        origin = COPIED_FROM['default'].get(tag)
        if origin:
            d[tag] = copy('default', tag, origin)
        elif tag in ('NAD', 'RFF'):
            d[tag] = copy('default', tag, '91.1')
        elif tag == 'ARR':
            src_row = names['D.95B']['ARR']
            entries = [src_row[2][0], ('C', src_row[2][1][1], src_row[2][1][2][:1])]
            d[tag] = (src_row[0], src_row[1], entries)
        else:
            d[tag] = from_service('default', tag)
    names['default'] = d

    for table, table_names in names.items():
        unnamed[table] = sorted(t for t, v in table_names.items() if v is None)
        sources_used = sorted({v[0] for v in table_names.values() if v})
        notes[table] = [f'Names from: {", ".join(sources_used) or "none"}.',
                        f'Rows without names: {" ".join(unnamed[table]) or "none"}.']
    notes['88.1'].insert(1, 'Names as EDSD881.ASC prints them (simple data elements in capitals),'
                            ' one per field of the merged layouts. EDSD881.ASC lists ACT and ALC'
                            ' in its index but has no entry for them.')
    notes['92.1'].insert(1, 'Segment layouts of EDSD.93A, composites and element names of trcd.921 and tred.921.')
    notes['S.93A'].insert(1, 'The names of 92.1 (same rows).')
    notes['I.96B'].insert(1, 'Every row takes the names of its I.97A row; TVL field 29 (1082) is N6 here, A6 in I.97A.')
    notes['91.2'].insert(1, 'Every row takes the names of the row it was copied from; LTM is a generic layout without names.')
    notes['default'].insert(1, 'Rows equal to D.95B take its names; NAD and RFF those of 91.1; ARR the first three fields'
                               ' of D.95B ARR; service segments those of the ISO 9735 service directories where'
                               ' these reproduce the row.')
    return names, notes


UNA_NAME = 'SERVICE STRING ADVICE'
NAME_FORBIDDEN = re.compile(r'[\t\[\];*|]')


def render_entry(e):
    def item(etag, name):
        if NAME_FORBIDDEN.search(name):
            raise ValueError(f'name with a reserved character: {name!r}')
        return f'{etag} {name}'.rstrip()
    if e[0] == 'S':
        return item(e[1], e[2])
    comps, i = [], 0
    cs = e[2]
    while i < len(cs):
        j = i
        while j < len(cs) and cs[j][:2] == cs[i][:2]:
            j += 1
        comps.append(('' if j - i == 1 else f'{j - i}*') + item(cs[i][0], cs[i][1]))
        i = j
    return f'{e[1]}[{";".join(comps)}]'


def render_names(name, table_names, notes):
    lines = [f'# marlune field names {name}: {len(table_names)} rows, sorted by tag.']
    lines += ['# ' + n for n in notes]
    lines.append('# TAG<tab>names from<tab>segment name<tab>one entry per data element:'
                 ' "ELEM Name", "COMP[ELEM Name;...]", "N*" repeats; "-": no names.')
    for tag in sorted(table_names):
        got = table_names[tag]
        if got is None:
            lines.append(f'{tag}\t-')
            continue
        source, title, entries = got
        rendered = [render_entry(e) for e in entries]
        parts, i = [], 0
        while i < len(rendered):
            j = i
            while j < len(rendered) and rendered[j] == rendered[i]:
                j += 1
            parts.append(('' if j - i == 1 else f'{j - i}*') + rendered[i])
            i = j
        lines.append('\t'.join([tag, source, title] + parts))
    return '\n'.join(lines) + '\n'


# ---------------------------------------------------------------------------

def render(name, rows, notes):
    lines = [f'# marlune segment directory {name}: {len(rows)} segment definitions, sorted by tag.']
    lines += ['# ' + n for n in notes]
    lines += [rows[t] for t in sorted(rows)]
    return '\n'.join(lines) + '\n'


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.normpath(os.path.join(here, '..', '..'))
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--source', default=os.path.join(root, '..', 'shared', 'unedifact'))
    ap.add_argument('--out', default=os.path.join(root, 'data', 'catalogue'))
    ap.add_argument('--names-out', default=os.path.join(root, 'data', 'names'))
    ap.add_argument('--check', action='store_true')
    args = ap.parse_args()

    rows, notes = build(args.source)
    names, name_notes = build_names(args.source, rows)
    for w in WARNINGS:
        print('note:', w, file=sys.stderr)
    status = 0
    os.makedirs(args.out, exist_ok=True)
    os.makedirs(args.names_out, exist_ok=True)
    outputs = []
    for name, table in rows.items():
        fname = 'default.txt' if name == 'default' else FILE[name] + '.txt'
        title = name if name != 'default' else 'default table'
        outputs.append((os.path.join(args.out, fname), render(title, table, notes[name])))
        outputs.append((os.path.join(args.names_out, fname), render_names(title, names[name], name_notes[name])))
    for path, text in outputs:
        if args.check:
            old = open(path).read() if os.path.exists(path) else None
            if old != text:
                print(f'{path} differs', file=sys.stderr)
                status = 1
        else:
            with open(path, 'w') as f:
                f.write(text)
    return status


if __name__ == '__main__':
    sys.exit(main())
