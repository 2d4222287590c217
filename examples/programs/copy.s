; copy.s -- copy a block of RAM.
;
; First fills RAM words 0..4 from a table in the ROM (words 48..52: loads from an address with bit 6
; clear read the ROM), then copies RAM words 0..4 to RAM words 16..20.  The store is kept three words
; before the branch: a load or store one or two words before a branch can hold the fetch while the
; branch waits for its decision, and then fewer than three words follow the branch before its target
; (docs/processor.md, "The words after a branch").

        setlo r1, 48          ; the table in the ROM
        setlo r2, 0x40        ; RAM word 0
        setlo r3, 5           ; words left
        nop
        nop
fill:   ld    r4, [r1 + 0]
        subs  r3, r3, 1
        add   r1, r1, 1
        st    r4, [r2 + 0]    ; the third word after the load sees r4
        add   r2, r2, 1
        nop
        nop
        bne   fill
        nop
        nop
        nop

        setlo r1, 0x40        ; from RAM word 0
        setlo r2, 0x50        ; to RAM word 16
        setlo r3, 5
        nop
        nop
copy:   ld    r4, [r1 + 0]
        subs  r3, r3, 1
        add   r1, r1, 1
        st    r4, [r2 + 0]
        add   r2, r2, 1
        nop
        nop
        bne   copy
        nop
        nop
        nop

halt:   bra   halt            ; the end: a branch to itself, taken on every pass
        nop                   ; its three delay slots, run on every pass
        nop
        nop

        .org  48
table:  .word 0x1111, 0x2222, 0x3333, 0x4444, 0x5555
