; hazards.s -- when does a later word see a register that was just written?
;
; There is no forwarding and no interlock: a register is written at the start of the cycle in which
; its word is in WB, and a word reads its registers at the end of its cycle in ID.  So the two words
; right after a write read the old value and the third sees the new one.  A load is no different: its
; stall holds the fetch for one cycle, but the third word after the load is the first to see the value.

        setlo r6, 40          ; address of the datum in the ROM
        nop
        nop
        setlo r1, 7           ; write r1 = 7
        add   r2, r1, r0      ; 1 word later: r2 = old r1 = 0
        add   r3, r1, r0      ; 2 words later: r3 = old r1 = 0
        add   r4, r1, r0      ; 3 words later: r4 = 7
        ld    r5, [r6 + 0]    ; load r5 = 0x1234
        add   r6, r5, r0      ; right after the load: r6 = old r5 = 0
        add   r7, r5, r0      ; 2 words later: r7 = 0
        add   r1, r5, r0      ; 3 words later: r1 = 0x1234

halt:   bra   halt            ; the end: a branch to itself, taken on every pass
        nop                   ; its three delay slots, run on every pass
        nop
        nop

        .org  40
        .word 0x1234
